// Runs a program to its end, its output streams caught in files, as a script would run it.
#pragma once

#include "Harness.h"
#include <windows.h>
#include <string>

// The exit code; a program still running after 30 s (one that opened a window) is stopped: 255.
inline int RunProgram(const std::string& strCommand, std::string* pstrOut = NULL, std::string* pstrErr = NULL)
{
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	const std::string astrFiles[] = { std::string(szTemp) + "run-program-out.txt",
		std::string(szTemp) + "run-program-err.txt" };
	SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
	HANDLE ahFiles[2];
	for (int i = 0; i < 2; ++i)
		ahFiles[i] = ::CreateFileA(astrFiles[i].c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
	STARTUPINFOA si = {};
	si.cb = sizeof(si);
	si.dwFlags = STARTF_USESTDHANDLES;
	si.hStdOutput = ahFiles[0];
	si.hStdError = ahFiles[1];
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
	std::string* apstrOutputs[] = { pstrOut, pstrErr };
	for (int i = 0; i < 2; ++i)
	{
		::CloseHandle(ahFiles[i]);
		if (apstrOutputs[i] != NULL)
			*apstrOutputs[i] = ReadBytes(astrFiles[i]);
		::DeleteFileA(astrFiles[i].c_str());
	}
	return (int)dwExit;
}

// A program beside this one, by file name.
inline std::string ProgramBesideThisOne(const char* pszName)
{
	char szPath[MAX_PATH];
	::GetModuleFileNameA(NULL, szPath, MAX_PATH);
	std::string strPath = szPath;
	return strPath.substr(0, strPath.rfind('\\') + 1) + pszName;
}
