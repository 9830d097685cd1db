// Runs programs as a script would, their output streams caught in files.
#pragma once

#include "Harness.h"

// A program started at once; Wait stops it (exit code 255) when it runs longer than given, as one
// that opened a window would. Its output is read when it has ended.
class CChildProgram
{
public:
	explicit CChildProgram(const std::string& strCommand, const char* pszName = "-run") : m_folder(pszName)
	{
		SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
		STARTUPINFOA si = {};
		si.cb = sizeof(si);
		si.dwFlags = STARTF_USESTDHANDLES;
		si.hStdOutput = ::CreateFileA((m_folder / "out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
		si.hStdError = ::CreateFileA((m_folder / "err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
		std::string strLine = strCommand;
		EXPECT_TRUE(::CreateProcessA(NULL, &strLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &m_pi)) << strCommand << ": error " << ::GetLastError();
		::CloseHandle(si.hStdOutput);
		::CloseHandle(si.hStdError);
	}
	~CChildProgram() { Wait(0); ::CloseHandle(m_pi.hProcess); ::CloseHandle(m_pi.hThread); }

	int Wait(DWORD dwTimeout = 30000)
	{
		DWORD dwExit = 255;
		if (::WaitForSingleObject(m_pi.hProcess, dwTimeout) == WAIT_TIMEOUT)
			::TerminateProcess(m_pi.hProcess, 255);
		::WaitForSingleObject(m_pi.hProcess, INFINITE);
		::GetExitCodeProcess(m_pi.hProcess, &dwExit);
		return (int)dwExit;
	}
	CBytes Output() const { return ReadBytes(m_folder / "out"); }
	CBytes Errors() const { return ReadBytes(m_folder / "err"); }

private:
	CTempFolder m_folder;
	PROCESS_INFORMATION m_pi = {};
};

inline int RunProgram(const std::string& strCommand, std::string* pstrOut = NULL, std::string* pstrErr = NULL)
{
	CChildProgram program(strCommand);
	const int nExit = program.Wait();
	if (pstrOut != NULL)
		*pstrOut = program.Output();
	if (pstrErr != NULL)
		*pstrErr = program.Errors();
	return nExit;
}
