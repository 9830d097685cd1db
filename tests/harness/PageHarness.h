// The plug-in's page in a property sheet of a recording host, as the host shows it.
#pragma once

#include <afxdlgs.h>
#include "host/PluginModule.h"
#include "RecordingHostWnd.h"
#include "Harness.h"

// The plug-in module under test.
inline std::string ModulePath()
{
	return BesideThisProgram("Mendle.cvl");
}

class CPageHarness
{
public:
	CPageHarness();
	~CPageHarness();

	HWND Item(int nID) const { return ::GetDlgItem(m_pPage->m_hWnd, nID); }
	bool IsChecked(int nID) const { return ::SendMessage(Item(nID), BM_GETCHECK, 0, 0) == BST_CHECKED; }
	bool IsEnabled(int nID) const { return ::IsWindowEnabled(Item(nID)) != FALSE; }
	bool IsVisible(int nID) const { return ::IsWindowVisible(Item(nID)) != FALSE; }
	void Click(int nID);

	CCartridgeSession m_session;
	CCartridge& m_cartridge;
	CRecordingHostWnd m_host;
	CPluginModule m_plugin;
	CPropertyPage* m_pPage;
	CPropertySheet m_sheet;
};
