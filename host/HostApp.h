// The stand-in host program: a property sheet with the cartridge page and every plug-in's page,
// or, given a verb on its command line, one scripted operation on a cartridge file.
#pragma once

#include <afxdlgs.h>
#include <memory>
#include <vector>
#include "CartridgeSession.h"
#include "HostCommandLine.h"
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
	BOOL OpenWindow(const CString& strCart, BOOL bCreateDemo);
	BOOL RunWindow();
	std::vector<CPropertyPage*> LoadPlugins();
	void ShowDemoSelection();
	CString ProgramFolder() const;

	CHostCommandLine m_commandLine;
	CCartridgeSession m_session;
	std::unique_ptr<CHostWnd> m_pHostWnd;
	std::vector<std::unique_ptr<CPluginModule>> m_plugins;
	CPropertySheet* m_pSheet;
	int m_nExitCode;
};
