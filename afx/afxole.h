// OLE clipboard classes of the MFC-compatible runtime.
#pragma once

#include "afxwin.h"
#include <ole2.h>
#include <vector>

BOOL AFXAPI AfxOleInit();
void AFXAPI AfxOleTerm(BOOL bJustRevoke = FALSE);

class COleException : public CException
{
	DECLARE_DYNAMIC(COleException)
};

[[noreturn]] void AFXAPI AfxThrowOleException(SCODE sc);

// Data offered to the clipboard; after SetClipboard the clipboard owns it and releases it.
class COleDataSource : public CCmdTarget
{
	DECLARE_DYNAMIC(COleDataSource)
public:
	COleDataSource();
	virtual ~COleDataSource();

	void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc = NULL);
	void SetClipboard();
	void Empty();
	static void PASCAL FlushClipboard();

	DWORD InternalAddRef();
	DWORD InternalRelease();

protected:
	struct CCacheEntry
	{
		FORMATETC formatEtc;
		STGMEDIUM stgMedium;
	};

	class XDataObject : public IDataObject
	{
	public:
		STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
		STDMETHOD_(ULONG, AddRef)() override;
		STDMETHOD_(ULONG, Release)() override;
		STDMETHOD(GetData)(LPFORMATETC pFormatEtc, LPSTGMEDIUM pMedium) override;
		STDMETHOD(GetDataHere)(LPFORMATETC pFormatEtc, LPSTGMEDIUM pMedium) override;
		STDMETHOD(QueryGetData)(LPFORMATETC pFormatEtc) override;
		STDMETHOD(GetCanonicalFormatEtc)(LPFORMATETC pFormatEtcIn, LPFORMATETC pFormatEtcOut) override;
		STDMETHOD(SetData)(LPFORMATETC pFormatEtc, LPSTGMEDIUM pMedium, BOOL fRelease) override;
		STDMETHOD(EnumFormatEtc)(DWORD dwDirection, LPENUMFORMATETC* ppEnum) override;
		STDMETHOD(DAdvise)(LPFORMATETC pFormatEtc, DWORD advf, LPADVISESINK pAdvSink, LPDWORD pdwConnection) override;
		STDMETHOD(DUnadvise)(DWORD dwConnection) override;
		STDMETHOD(EnumDAdvise)(LPENUMSTATDATA* ppEnumAdvise) override;

		COleDataSource* m_pOwner;
	};

	const CCacheEntry* Lookup(const FORMATETC* pFormatEtc) const;

	XDataObject m_xDataObject;
	DWORD m_dwRef;
	std::vector<CCacheEntry> m_cache;

	friend class XDataObject;
};

// Data read from the clipboard.
class COleDataObject
{
public:
	COleDataObject();
	~COleDataObject();

	BOOL AttachClipboard();
	void Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease = TRUE);
	void Release();
	BOOL IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = NULL);
	HGLOBAL GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = NULL);

protected:
	LPDATAOBJECT m_lpDataObject;
	BOOL m_bAutoRelease;
};
