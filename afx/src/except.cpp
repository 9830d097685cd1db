#include "afximpl.h"
#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CFileException, CException)

CException::CException() : m_bAutoDelete(TRUE) {}
CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}

void CException::Delete()
{
	if (m_bAutoDelete)
		delete this;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
	if (pnHelpContext != NULL)
		*pnHelpContext = 0;
	if (nMaxError != 0 && lpszError != NULL)
		*lpszError = '\0';
	return FALSE;
}

// The runtime's own prompts, for an application whose resources do not hold them.
static LPCTSTR DefaultPrompt(UINT nMessageID)
{
	switch (nMessageID)
	{
	case AFX_IDP_INTERNAL_FAILURE: return _T("Internal application error.");
	case AFX_IDP_COMMAND_FAILURE: return _T("Command failed.");
	default: return _T("No error message is available.");
	}
}

int CException::ReportError(UINT nType, UINT nMessageID)
{
	TCHAR szMessage[512];
	if (GetErrorMessage(szMessage, _countof(szMessage)))
		return AfxMessageBox(szMessage, nType);
	CString strPrompt;
	if (nMessageID == 0 || !strPrompt.LoadString(nMessageID))
		strPrompt = DefaultPrompt(nMessageID);
	return AfxMessageBox(strPrompt, nType);
}

static void CopyMessage(LPCTSTR lpszMessage, LPTSTR lpszError, UINT nMaxError)
{
	if (nMaxError == 0 || lpszError == NULL)
		return;
	std::strncpy(lpszError, lpszMessage, nMaxError - 1);
	lpszError[nMaxError - 1] = '\0';
}

// The simple exceptions are preallocated: they must be throwable when memory is exhausted.
CSimpleException::CSimpleException(LPCTSTR lpszMessage) : CException(FALSE), m_lpszMessage(lpszMessage) {}

BOOL CSimpleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
	if (pnHelpContext != NULL)
		*pnHelpContext = 0;
	CopyMessage(m_lpszMessage, lpszError, nMaxError);
	return TRUE;
}

CMemoryException::CMemoryException() : CSimpleException(_T("Out of memory.")) {}
CResourceException::CResourceException() : CSimpleException(_T("A required resource was unavailable.")) {}
CNotSupportedException::CNotSupportedException()
	: CSimpleException(_T("An unsupported operation was attempted.")) {}

CMemoryException* AFXAPI AfxGetMemoryException()
{
	static CMemoryException s_exception;
	return &s_exception;
}

void AFXAPI AfxThrowMemoryException()
{
	throw AfxGetMemoryException();
}

void AFXAPI AfxThrowResourceException()
{
	static CResourceException s_exception;
	throw &s_exception;
}

void AFXAPI AfxThrowNotSupportedException()
{
	static CNotSupportedException s_exception;
	throw &s_exception;
}

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszArchiveName)
	: m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName)
{
}

int PASCAL CFileException::OsErrorToException(LONG lOsError)
{
	switch ((DWORD)lOsError)
	{
	case NO_ERROR: return CFileException::none;
	case ERROR_FILE_NOT_FOUND: return CFileException::fileNotFound;
	case ERROR_PATH_NOT_FOUND:
	case ERROR_INVALID_DRIVE:
	case ERROR_BAD_PATHNAME:
	case ERROR_INVALID_NAME:
	case ERROR_DIRECTORY: return CFileException::badPath;
	case ERROR_TOO_MANY_OPEN_FILES: return CFileException::tooManyOpenFiles;
	case ERROR_ACCESS_DENIED:
	case ERROR_WRITE_PROTECT: return CFileException::accessDenied;
	case ERROR_INVALID_HANDLE: return CFileException::invalidFile;
	case ERROR_CURRENT_DIRECTORY: return CFileException::removeCurrentDir;
	case ERROR_CANNOT_MAKE: return CFileException::directoryFull;
	case ERROR_SEEK:
	case ERROR_NEGATIVE_SEEK: return CFileException::badSeek;
	case ERROR_SHARING_VIOLATION: return CFileException::sharingViolation;
	case ERROR_LOCK_VIOLATION: return CFileException::lockViolation;
	case ERROR_HANDLE_DISK_FULL:
	case ERROR_DISK_FULL: return CFileException::diskFull;
	case ERROR_HANDLE_EOF: return CFileException::endOfFile;
	default: return CFileException::genericException;
	}
}

void PASCAL CFileException::ThrowOsError(LONG lOsError, LPCTSTR lpszFileName)
{
	AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
	static const LPCTSTR s_apszCause[] = {
		"no error", "an unexpected error", "it was not found", "the path is invalid",
		"too many files are open", "access was denied", "the file handle is invalid",
		"the current directory cannot be removed", "the directory is full", "a seek failed",
		"a hardware I/O error occurred", "a sharing violation occurred", "a lock violation occurred",
		"the disk is full", "the end of the file was reached" };
	if (pnHelpContext != NULL)
		*pnHelpContext = 0;
	int nCause = m_cause >= 0 && m_cause < (int)_countof(s_apszCause) ? m_cause : genericException;
	CString strMessage;
	strMessage.Format(_T("An error occurred with %s: %s."),
		m_strFileName.IsEmpty() ? _T("an unnamed file") : (LPCTSTR)m_strFileName, s_apszCause[nCause]);
	CopyMessage(strMessage, lpszError, nMaxError);
	return TRUE;
}

void AFXAPI AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
{
	throw new CFileException(cause, lOsError, lpszFileName);
}
