#include "afximpl.h"
#include "../afxole.h"
#include <shlobj.h>

IMPLEMENT_DYNAMIC(COleException, CException)
IMPLEMENT_DYNAMIC(COleDataSource, CCmdTarget)

// OLE started here is ended by AfxWinTerm, through AfxOleTerm.
BOOL AFXAPI AfxOleInit()
{
	if (FAILED(::OleInitialize(NULL)))
		return FALSE;
	AfxGetThreadState()->m_bOleInitialized = TRUE;
	return TRUE;
}

// What the program put on the clipboard stays there after it ends.
void AFXAPI AfxOleTerm(BOOL bJustRevoke)
{
	COleDataSource::FlushClipboard();
	if (bJustRevoke)
		return;
	AfxGetThreadState()->m_bOleInitialized = FALSE;
	::OleUninitialize();
}

void AFXAPI AfxThrowOleException(SCODE)
{
	throw new COleException;
}

static FORMATETC DefaultFormatEtc(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc)
{
	if (lpFormatEtc != NULL)
		return *lpFormatEtc;
	FORMATETC formatEtc = { cfFormat, NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
	return formatEtc;
}

// ---------------------------------------------------------------------------------------------
// COleDataSource

COleDataSource::COleDataSource() : m_dwRef(1)
{
	m_xDataObject.m_pOwner = this;
}

COleDataSource::~COleDataSource()
{
	Empty();
}

void COleDataSource::Empty()
{
	for (CCacheEntry& entry : m_cache)
		::ReleaseStgMedium(&entry.stgMedium);
	m_cache.clear();
}

// The source owns the block from now on and frees it with itself.
void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc)
{
	CCacheEntry entry;
	entry.formatEtc = DefaultFormatEtc(cfFormat, lpFormatEtc);
	entry.formatEtc.cfFormat = cfFormat;
	entry.stgMedium = STGMEDIUM();
	entry.stgMedium.tymed = TYMED_HGLOBAL;
	entry.stgMedium.hGlobal = hGlobal;
	m_cache.push_back(entry);
}

// On success the clipboard holds the only reference: the creator's is given up.
void COleDataSource::SetClipboard()
{
	HRESULT hr = ::OleSetClipboard(&m_xDataObject);
	if (hr != S_OK)
		AfxThrowOleException(hr);
	InternalRelease();
}

// The data of a source that owns the clipboard is rendered into it; the source is released.
void PASCAL COleDataSource::FlushClipboard()
{
	::OleFlushClipboard();
}

DWORD COleDataSource::InternalAddRef()
{
	return ++m_dwRef;
}

DWORD COleDataSource::InternalRelease()
{
	DWORD dwRef = --m_dwRef;
	if (dwRef == 0)
		delete this;
	return dwRef;
}

const COleDataSource::CCacheEntry* COleDataSource::Lookup(const FORMATETC* pFormatEtc) const
{
	for (const CCacheEntry& entry : m_cache)
	{
		if (entry.formatEtc.cfFormat == pFormatEtc->cfFormat && (entry.formatEtc.tymed & pFormatEtc->tymed) != 0)
			return &entry;
	}
	return NULL;
}

STDMETHODIMP COleDataSource::XDataObject::QueryInterface(REFIID riid, void** ppvObject)
{
	if (riid == IID_IUnknown || riid == IID_IDataObject)
	{
		*ppvObject = static_cast<IDataObject*>(this);
		AddRef();
		return S_OK;
	}
	*ppvObject = NULL;
	return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleDataSource::XDataObject::AddRef()
{
	return m_pOwner->InternalAddRef();
}

STDMETHODIMP_(ULONG) COleDataSource::XDataObject::Release()
{
	return m_pOwner->InternalRelease();
}

// Each reader gets its own copy of the block.
STDMETHODIMP COleDataSource::XDataObject::GetData(LPFORMATETC pFormatEtc, LPSTGMEDIUM pMedium)
{
	const CCacheEntry* pEntry = m_pOwner->Lookup(pFormatEtc);
	if (pEntry == NULL)
		return DV_E_FORMATETC;
	HGLOBAL hCopy = (HGLOBAL)::OleDuplicateData(pEntry->stgMedium.hGlobal, pFormatEtc->cfFormat, 0);
	if (hCopy == NULL)
		return E_OUTOFMEMORY;
	*pMedium = STGMEDIUM();
	pMedium->tymed = TYMED_HGLOBAL;
	pMedium->hGlobal = hCopy;
	return S_OK;
}

STDMETHODIMP COleDataSource::XDataObject::GetDataHere(LPFORMATETC, LPSTGMEDIUM)
{
	return E_NOTIMPL;
}

STDMETHODIMP COleDataSource::XDataObject::QueryGetData(LPFORMATETC pFormatEtc)
{
	return m_pOwner->Lookup(pFormatEtc) != NULL ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::GetCanonicalFormatEtc(LPFORMATETC, LPFORMATETC pFormatEtcOut)
{
	pFormatEtcOut->ptd = NULL;
	return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::SetData(LPFORMATETC, LPSTGMEDIUM, BOOL)
{
	return E_NOTIMPL;
}

STDMETHODIMP COleDataSource::XDataObject::EnumFormatEtc(DWORD dwDirection, LPENUMFORMATETC* ppEnum)
{
	*ppEnum = NULL;
	if (dwDirection != DATADIR_GET)
		return E_NOTIMPL;
	std::vector<FORMATETC> formats;
	for (const CCacheEntry& entry : m_pOwner->m_cache)
		formats.push_back(entry.formatEtc);
	return ::SHCreateStdEnumFmtEtc((UINT)formats.size(), formats.data(), ppEnum);
}

STDMETHODIMP COleDataSource::XDataObject::DAdvise(LPFORMATETC, DWORD, LPADVISESINK, LPDWORD)
{
	return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleDataSource::XDataObject::DUnadvise(DWORD)
{
	return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleDataSource::XDataObject::EnumDAdvise(LPENUMSTATDATA*)
{
	return OLE_E_ADVISENOTSUPPORTED;
}

// ---------------------------------------------------------------------------------------------
// COleDataObject

COleDataObject::COleDataObject() : m_lpDataObject(NULL), m_bAutoRelease(TRUE) {}

COleDataObject::~COleDataObject()
{
	Release();
}

void COleDataObject::Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease)
{
	Release();
	m_lpDataObject = lpDataObject;
	m_bAutoRelease = bAutoRelease;
}

BOOL COleDataObject::AttachClipboard()
{
	LPDATAOBJECT lpDataObject = NULL;
	if (FAILED(::OleGetClipboard(&lpDataObject)))
		return FALSE;
	Attach(lpDataObject, TRUE);
	return TRUE;
}

void COleDataObject::Release()
{
	if (m_lpDataObject != NULL && m_bAutoRelease)
		m_lpDataObject->Release();
	m_lpDataObject = NULL;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc)
{
	if (m_lpDataObject == NULL)
		return FALSE;
	FORMATETC formatEtc = DefaultFormatEtc(cfFormat, lpFormatEtc);
	formatEtc.cfFormat = cfFormat;
	return m_lpDataObject->QueryGetData(&formatEtc) == S_OK;
}

// The caller owns the returned block.
HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc)
{
	if (m_lpDataObject == NULL)
		return NULL;
	FORMATETC formatEtc = DefaultFormatEtc(cfFormat, lpFormatEtc);
	formatEtc.cfFormat = cfFormat;
	formatEtc.tymed = TYMED_HGLOBAL;
	STGMEDIUM stgMedium = {};
	if (FAILED(m_lpDataObject->GetData(&formatEtc, &stgMedium)))
		return NULL;
	if (stgMedium.tymed != TYMED_HGLOBAL)
	{
		::ReleaseStgMedium(&stgMedium);
		return NULL;
	}
	if (stgMedium.pUnkForRelease == NULL)
		return stgMedium.hGlobal;
	HGLOBAL hCopy = (HGLOBAL)::OleDuplicateData(stgMedium.hGlobal, cfFormat, 0);
	::ReleaseStgMedium(&stgMedium);
	return hCopy;
}
