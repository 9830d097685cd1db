// Core of the MFC-compatible runtime: objects, run-time classes, strings, exceptions, files.
#pragma once

#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <tchar.h>
#include <string>

#define AFXAPI __stdcall
#define AFX_CDECL __cdecl
#define AFX_MSG_CALL
#define afx_msg

class CObject;
class CString;

// ---------------------------------------------------------------------------------------------
// Run-time class information

struct CRuntimeClass
{
	LPCSTR m_lpszClassName;
	CObject* (PASCAL* m_pfnCreateObject)();
	CRuntimeClass* (PASCAL* m_pfnGetBaseClass)();

	CObject* CreateObject();
	BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name) \
public: \
	static const CRuntimeClass class##class_name; \
	static CRuntimeClass* PASCAL GetThisClass(); \
	virtual CRuntimeClass* GetRuntimeClass() const;

#define DECLARE_DYNCREATE(class_name) \
	DECLARE_DYNAMIC(class_name) \
	static CObject* PASCAL CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew) \
	CRuntimeClass* PASCAL class_name::GetThisClass() \
		{ return const_cast<CRuntimeClass*>(&class_name::class##class_name); } \
	const CRuntimeClass class_name::class##class_name = { #class_name, pfnNew, &base_class_name::GetThisClass }; \
	CRuntimeClass* class_name::GetRuntimeClass() const \
		{ return class_name::GetThisClass(); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
	IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, NULL)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
	CObject* PASCAL class_name::CreateObject() { return new class_name; } \
	IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, class_name::CreateObject)

CObject* AFXAPI AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject);
#define DYNAMIC_DOWNCAST(class_name, object) \
	(static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object)))

class CObject
{
public:
	virtual CRuntimeClass* GetRuntimeClass() const;
	virtual ~CObject() = 0;

	BOOL IsKindOf(const CRuntimeClass* pClass) const;

	static const CRuntimeClass classCObject;
	static CRuntimeClass* PASCAL GetThisClass();

protected:
	CObject();

private:
	CObject(const CObject&) = delete;
	void operator=(const CObject&) = delete;
};

// ---------------------------------------------------------------------------------------------
// Strings (single-byte character set)

class CString
{
public:
	CString();
	CString(const CString& stringSrc);
	CString(LPCTSTR lpsz);
	CString(LPCTSTR lpch, int nLength);

	const CString& operator=(const CString& stringSrc);
	const CString& operator=(LPCTSTR lpsz);
	const CString& operator+=(const CString& string);
	const CString& operator+=(LPCTSTR lpsz);
	const CString& operator+=(TCHAR ch);

	operator LPCTSTR() const { return m_str.c_str(); }
	BOOL IsEmpty() const { return m_str.empty(); }
	void Empty() { m_str.clear(); }
	int Compare(LPCTSTR lpsz) const;

	BOOL LoadString(UINT nID);
	void AFX_CDECL Format(LPCTSTR lpszFormat, ...);

	LPTSTR GetBuffer(int nMinBufLength);

private:
	std::string m_str;
};

CString AFXAPI operator+(const CString& string, LPCTSTR lpsz);
CString AFXAPI operator+(LPCTSTR lpsz, const CString& string);
bool AFXAPI operator==(const CString& s1, LPCTSTR s2);

// ---------------------------------------------------------------------------------------------
// Exceptions: thrown as pointers, released with Delete()

class CException : public CObject
{
	DECLARE_DYNAMIC(CException)
public:
	CException();
	explicit CException(BOOL bAutoDelete);
	void Delete();

	virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) const;
	virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0);

	BOOL m_bAutoDelete;
};

class CSimpleException : public CException
{
	DECLARE_DYNAMIC(CSimpleException)
public:
	explicit CSimpleException(LPCTSTR lpszMessage);
	BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) const override;

private:
	LPCTSTR m_lpszMessage;
};

class CMemoryException : public CSimpleException
{
	DECLARE_DYNAMIC(CMemoryException)
public:
	CMemoryException();
};

class CResourceException : public CSimpleException
{
	DECLARE_DYNAMIC(CResourceException)
public:
	CResourceException();
};

class CNotSupportedException : public CSimpleException
{
	DECLARE_DYNAMIC(CNotSupportedException)
public:
	CNotSupportedException();
};

class CFileException : public CException
{
	DECLARE_DYNAMIC(CFileException)
public:
	enum
	{
		none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
		invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
		lockViolation, diskFull, endOfFile
	};

	explicit CFileException(int cause = CFileException::none, LONG lOsError = -1,
		LPCTSTR lpszArchiveName = NULL);

	static int PASCAL OsErrorToException(LONG lOsError);
	[[noreturn]] static void PASCAL ThrowOsError(LONG lOsError, LPCTSTR lpszFileName = NULL);

	BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) const override;

	int m_cause;
	LONG m_lOsError;
	CString m_strFileName;
};

[[noreturn]] void AFXAPI AfxThrowMemoryException();
[[noreturn]] void AFXAPI AfxThrowResourceException();
[[noreturn]] void AFXAPI AfxThrowNotSupportedException();
[[noreturn]] void AFXAPI AfxThrowFileException(int cause, LONG lOsError = -1, LPCTSTR lpszFileName = NULL);

// ---------------------------------------------------------------------------------------------
// Files

class CFile : public CObject
{
	DECLARE_DYNAMIC(CFile)
public:
	enum OpenFlags
	{
		modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
		shareExclusive = 0x0010, shareDenyWrite = 0x0020,
		shareDenyRead = 0x0030, shareDenyNone = 0x0040,
		modeNoInherit = 0x0080, modeCreate = 0x1000, modeNoTruncate = 0x2000
	};

	static const HANDLE hFileNull;

	CFile();
	CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
	virtual ~CFile();

	virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL);
	virtual UINT Read(void* lpBuf, UINT nCount);
	virtual void Write(const void* lpBuf, UINT nCount);
	virtual ULONGLONG GetLength() const;
	virtual void Close();
	virtual void Abort();

	HANDLE m_hFile;

protected:
	BOOL m_bCloseOnDelete;
	CString m_strFileName;
};
