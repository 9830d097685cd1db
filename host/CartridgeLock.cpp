#include "CartridgeLock.h"

// A byte-range lock on "<cartridge>.lock": every process on the machine sees it, whichever Wine
// server runs it, and the system drops it when its handle closes or its process ends, however it
// ends, so a program that died never blocks the next one.
BOOL CCartridgeLock::Acquire(LPCTSTR lpszCartridgePath, CString& strError)
{
	Release();
	const CString strLock = CString(lpszCartridgePath) + _T(".lock");
	m_hLock = ::CreateFile(strLock, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
		NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
	if (m_hLock == INVALID_HANDLE_VALUE)
	{
		strError.Format(_T("%s: the cartridge cannot be locked (error %lu)."), lpszCartridgePath, ::GetLastError());
		return FALSE;
	}
	const DWORD dwStart = ::GetTickCount();
	for (;;)
	{
		OVERLAPPED ov = {};
		if (::LockFileEx(m_hLock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov))
			return TRUE;
		const DWORD dwError = ::GetLastError();
		if (dwError != ERROR_LOCK_VIOLATION || ::GetTickCount() - dwStart >= WAIT_MS)
		{
			Release();
			if (dwError == ERROR_LOCK_VIOLATION)
				strError.Format(_T("%s: the cartridge is in use by another program."), lpszCartridgePath);
			else
				strError.Format(_T("%s: the cartridge cannot be locked (error %lu)."), lpszCartridgePath, dwError);
			return FALSE;
		}
		::Sleep(10);
	}
}

// Closing the handle drops the lock.
void CCartridgeLock::Release()
{
	if (m_hLock != INVALID_HANDLE_VALUE)
		::CloseHandle(m_hLock);
	m_hLock = INVALID_HANDLE_VALUE;
}
