// The stand-in host program: a property sheet with the cartridge page and every plug-in's page,
// or, given a verb on its command line, one scripted operation on a cartridge file.
#pragma once

#include <afxdlgs.h>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "CartridgeSession.h"
#include "HostWnd.h"
#include "PluginModule.h"

class CHostApp : public CWinApp
{
public:
	CHostApp();

	BOOL InitInstance() override;
	int ExitInstance() override;
	BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
	BOOL ParseCommandLine();
	BOOL SetFaults();
	BOOL RunWindow();
	int RunScript(const CString& strCart);
	int Export(int nPosition, const std::string& strFile);
	int Import(int nPosition, const std::string& strFile);
	int Fail(const CString& strReason);
	BOOL ParsePosition(const std::string& strArg, int& nPosition, BOOL bAllowAll);
	std::vector<CPropertyPage*> LoadPlugins();
	void ShowDemoSelection();
	CString ProgramFolder() const;

	std::string m_strVerb;                            // the one verb of a scripted run, or none
	std::vector<std::string> m_verbArgs;              // the values that follow it
	std::map<std::string, std::string> m_options;     // the other options given once, with their values
	std::vector<std::string> m_faults;
	CCartridgeSession m_session;
	std::unique_ptr<CHostWnd> m_pHostWnd;
	std::vector<std::unique_ptr<CPluginModule>> m_plugins;
	CPropertySheet* m_pSheet;
	int m_nExitCode;
};
