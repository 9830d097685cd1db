// The stand-in host program: a property sheet with the cartridge page and every plug-in's page.
#pragma once

#include <afxdlgs.h>
#include <memory>
#include <vector>
#include "Cartridge.h"
#include "HostWnd.h"
#include "PluginModule.h"

class CHostApp : public CWinApp
{
public:
	CHostApp();

	BOOL InitInstance() override;
	BOOL OnIdle(LONG lCount) override;

protected:
	void LoadPlugins();
	int ParseStartPage() const;
	void ShowDemoSelection();

	CCartridge m_cartridge;
	std::unique_ptr<CHostWnd> m_pHostWnd;
	std::vector<std::unique_ptr<CPluginModule>> m_plugins;
	CPropertySheet* m_pSheet;
	BOOL m_bDemoPending;
};
