// The host program's command line: its options, and the verbs that a script runs on a cartridge
// file without a window.
#pragma once

#include <afxwin.h>
#include <map>
#include <string>
#include <vector>
#include "CartridgeSession.h"

class CHostCommandLine
{
public:
	enum ParseResult { parseWindow, parseVerb, parseHelp, parseRefused };

	static const char s_szUsage[];

	ParseResult Parse(const std::vector<std::string>& args, CString& strError);
	BOOL SetFaults(CFaultSwitches& faults, CString& strError) const;
	BOOL HasVerb() const { return !m_strVerb.empty(); }
	BOOL HasOption(const char* pszName) const { return m_options.count(pszName) != 0; }
	std::string GetOption(const char* pszName) const;
	BOOL Run(CCartridgeSession& session, const CString& strCart, CString& strOutput) const;

protected:
	BOOL Export(CCartridgeSession& session, int nPosition, CString& strOutput) const;
	BOOL ShowStatus(CCartridgeSession& session, CString& strOutput) const;
	CString FileArgument() const { return m_verbArgs.size() > 1 ? m_verbArgs[1].c_str() : ""; }

	std::string m_strVerb;                            // the one verb of a scripted run, or none
	std::vector<std::string> m_verbArgs;              // the values that follow it
	std::map<std::string, std::string> m_options;     // the other options given once, with their values
	std::vector<std::string> m_faults;
};
