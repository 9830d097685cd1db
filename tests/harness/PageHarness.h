// The plug-in's page in a property sheet of a recording host, as the host shows it.
#pragma once

#include <afxdlgs.h>
#include "host/PluginModule.h"
#include "RecordingHostWnd.h"
#include "Harness.h"

// The plug-in module under test.
inline std::string ModulePath() { return BesideThisProgram("Mendle.cvl"); }

class CPageHarness
{
public:
	CPageHarness() : m_cartridge(m_session.GetCartridge()), m_host(m_session), m_sheet(_T("Corvel host"))
	{
		CString strError;
		EXPECT_TRUE(m_plugin.Load(ModulePath().c_str(), strError)) << (LPCTSTR)strError;
		EXPECT_TRUE(m_host.Create());
		m_host.AddPlugin(&m_plugin);
		m_pPage = m_plugin.CreatePage(&m_host, strError);
		m_sheet.AddPage(m_pPage);
		EXPECT_TRUE(m_sheet.Create(&m_host));
	}
	~CPageHarness()
	{
		m_sheet.DestroyWindow();
		delete m_pPage;
		m_host.DestroyWindow();
	}

	HWND Item(int nID) const { return ::GetDlgItem(m_pPage->m_hWnd, nID); }
	bool IsChecked(int nID) const { return ::SendMessage(Item(nID), BM_GETCHECK, 0, 0) == BST_CHECKED; }
	bool IsEnabled(int nID) const { return ::IsWindowEnabled(Item(nID)) != FALSE; }
	bool IsVisible(int nID) const { return ::IsWindowVisible(Item(nID)) != FALSE; }
	// A click as the user makes it; a disabled button cannot be clicked.
	void Click(int nID)
	{
		ASSERT_TRUE(IsEnabled(nID)) << "control " << nID << " is disabled";
		::SendMessage(Item(nID), BM_CLICK, 0, 0);
	}

	CCartridgeSession m_session;
	CCartridge& m_cartridge;
	CRecordingHostWnd m_host;
	CPluginModule m_plugin;
	CPropertyPage* m_pPage;
	CPropertySheet m_sheet;
};
