// Runs a program to its end, its output streams caught in files, as a script would run it.
#pragma once

#include "Harness.h"
#include <windows.h>
#include <string>

// The exit code; a program still running after 30 s (one that opened a window) is stopped: 255.
inline int RunProgram(const std::string& strCommand, std::string* pstrOut = NULL, std::string* pstrErr = NULL)
{
	CTempFolder folder("-run");
	SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
	STARTUPINFOA si = {};
	si.cb = sizeof(si);
	si.dwFlags = STARTF_USESTDHANDLES;
	si.hStdOutput = ::CreateFileA((folder / "out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
	si.hStdError = ::CreateFileA((folder / "err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
	std::string strLine = strCommand;
	PROCESS_INFORMATION pi;
	DWORD dwExit = 255;
	if (::CreateProcessA(NULL, &strLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi))
	{
		if (::WaitForSingleObject(pi.hProcess, 30000) == WAIT_TIMEOUT)
			::TerminateProcess(pi.hProcess, 255);
		::GetExitCodeProcess(pi.hProcess, &dwExit);
		::CloseHandle(pi.hProcess);
		::CloseHandle(pi.hThread);
	}
	::CloseHandle(si.hStdOutput);
	::CloseHandle(si.hStdError);
	if (pstrOut != NULL)
		*pstrOut = ReadBytes(folder / "out");
	if (pstrErr != NULL)
		*pstrErr = ReadBytes(folder / "err");
	return (int)dwExit;
}
