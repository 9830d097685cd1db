// The one-writer-at-a-time lock of a cartridge file, honoured by every process on the machine.
#pragma once

#include <afxwin.h>

class CCartridgeLock
{
public:
	// How long a change waits for another program to finish with the cartridge.
	static const DWORD WAIT_MS = 5000;

	CCartridgeLock() : m_hLock(INVALID_HANDLE_VALUE) {}
	~CCartridgeLock() { Release(); }
	CCartridgeLock(const CCartridgeLock&) = delete;
	CCartridgeLock& operator=(const CCartridgeLock&) = delete;

	BOOL Acquire(LPCTSTR lpszCartridgePath, CString& strError);
	void Release();

private:
	HANDLE m_hLock;
};
