#include "../afxwin.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
	CFileException* pException = new CFileException;
	if (!Open(lpszFileName, nOpenFlags, pException))
		throw pException;
	pException->Delete();
}

CFile::~CFile()
{
	if (m_hFile != hFileNull && m_bCloseOnDelete)
		Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pException)
{
	m_bCloseOnDelete = FALSE;
	m_hFile = hFileNull;
	m_strFileName = lpszFileName;

	static const DWORD s_adwAccess[] = { GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE };
	UINT nAccess = nOpenFlags & 3;
	DWORD dwAccess = nAccess < 3 ? s_adwAccess[nAccess] : GENERIC_READ;

	DWORD dwShareMode = 0;
	switch (nOpenFlags & 0x70)
	{
	case shareDenyWrite: dwShareMode = FILE_SHARE_READ; break;
	case shareDenyRead: dwShareMode = FILE_SHARE_WRITE; break;
	case shareDenyNone: dwShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
	default: break;
	}

	SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, (nOpenFlags & modeNoInherit) == 0 };

	DWORD dwCreateFlag = OPEN_EXISTING;
	if (nOpenFlags & modeCreate)
		dwCreateFlag = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

	HANDLE hFile = ::CreateFile(lpszFileName, dwAccess, dwShareMode, &sa, dwCreateFlag,
		FILE_ATTRIBUTE_NORMAL, NULL);
	if (hFile == INVALID_HANDLE_VALUE)
	{
		if (pException != NULL)
		{
			pException->m_lOsError = (LONG)::GetLastError();
			pException->m_cause = CFileException::OsErrorToException(pException->m_lOsError);
			pException->m_strFileName = lpszFileName;
		}
		return FALSE;
	}
	m_hFile = hFile;
	m_bCloseOnDelete = TRUE;
	return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
	if (nCount == 0)
		return 0;
	DWORD dwRead = 0;
	if (!::ReadFile(m_hFile, lpBuf, nCount, &dwRead, NULL))
		CFileException::ThrowOsError((LONG)::GetLastError(), m_strFileName);
	return (UINT)dwRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
	if (nCount == 0)
		return;
	DWORD nWritten = 0;
	if (!::WriteFile(m_hFile, lpBuf, nCount, &nWritten, NULL))
		CFileException::ThrowOsError((LONG)::GetLastError(), m_strFileName);
	if (nWritten != nCount)
		AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::GetLength() const
{
	LARGE_INTEGER liSize;
	if (!::GetFileSizeEx(m_hFile, &liSize))
		CFileException::ThrowOsError((LONG)::GetLastError(), m_strFileName);
	return (ULONGLONG)liSize.QuadPart;
}

void CFile::Close()
{
	BOOL bError = m_hFile != hFileNull && !::CloseHandle(m_hFile);
	LONG lOsError = bError ? (LONG)::GetLastError() : 0;
	CString strFileName = m_strFileName;
	m_hFile = hFileNull;
	m_bCloseOnDelete = FALSE;
	m_strFileName.Empty();
	if (bError)
		CFileException::ThrowOsError(lOsError, strFileName);
}

void CFile::Abort()
{
	if (m_hFile != hFileNull)
		::CloseHandle(m_hFile);
	m_hFile = hFileNull;
	m_bCloseOnDelete = FALSE;
	m_strFileName.Empty();
}
