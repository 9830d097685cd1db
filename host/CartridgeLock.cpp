#include "CartridgeLock.h"

// An exclusive handle on "<cartridge>.lock": the system closes it when its process ends, however
// it ends, so a program that died never blocks the next one.
BOOL CCartridgeLock::Acquire(LPCTSTR lpszCartridgePath, CString& strError)
{
	Release();
	const CString strLock = CString(lpszCartridgePath) + _T(".lock");
	const DWORD dwStart = ::GetTickCount();
	for (;;)
	{
		m_hLock = ::CreateFile(strLock, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
		if (m_hLock != INVALID_HANDLE_VALUE)
			return TRUE;
		const DWORD dwError = ::GetLastError();
		if (dwError != ERROR_SHARING_VIOLATION)
		{
			strError.Format(_T("%s: the cartridge cannot be locked (error %lu)."), lpszCartridgePath, dwError);
			return FALSE;
		}
		if (::GetTickCount() - dwStart >= WAIT_MS)
		{
			strError.Format(_T("%s: the cartridge is in use by another program."), lpszCartridgePath);
			return FALSE;
		}
		::Sleep(10);
	}
}

void CCartridgeLock::Release()
{
	if (m_hLock != INVALID_HANDLE_VALUE)
		::CloseHandle(m_hLock);
	m_hLock = INVALID_HANDLE_VALUE;
}
