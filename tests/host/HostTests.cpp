// The stand-in host: plug-in loading and its own page.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "Harness.h"
#include "host/CartridgePage.h"
#include "host/resource.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <cstring>

// A module that is no plug-in, is missing or was built for another host is refused by name;
// two good modules each hand out their own page, made from their own resources.
TEST(HostPlugins, LoadsPluginsAndRefusesOtherModules)
{
	const std::string strFolder = BesideThisProgram("");
	struct Case { std::string strName; const char* pszReason; } cases[] = {
		{ "afx.dll", "GetPropertyPage" }, { "absent.cvl", "absent.cvl" }, { "modules\\badversion.cvl", "version 260" },
	};
	CTempFolder folder;  // a loaded module stays: its copy goes when the next run makes the folder anew
	CPluginModule first, second;
	CString strError;
	for (const Case& c : cases)
	{
		EXPECT_FALSE(first.Load((strFolder + c.strName).c_str(), strError));
		EXPECT_TRUE(std::strstr(strError, c.strName.c_str()) && std::strstr(strError, c.pszReason)) << (LPCTSTR)strError;
	}
	ASSERT_TRUE(::CopyFileA(ModulePath().c_str(), (folder / "Second.cvl").c_str(), FALSE));
	ASSERT_TRUE(first.Load(ModulePath().c_str(), strError) && second.Load((folder / "Second.cvl").c_str(), strError)) << (LPCTSTR)strError;
	EXPECT_EQ(261u, first.GetCompileVersion());
	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPropertyPage* apPages[] = { first.GetPropertyPage(&host), second.GetPropertyPage(&host) };
	EXPECT_NE(first.GetModule(), second.GetModule());
	EXPECT_EQ(std::make_pair(first.GetModule(), second.GetModule()), std::make_pair(apPages[0]->m_psp.hInstance, apPages[1]->m_psp.hInstance));
	delete apPages[0];
	delete apPages[1];
	host.DestroyWindow();
}

// Every switch of the host's own page reaches the plug-in's page at once.
TEST(HostPages, EverySwitchReachesThePluginPageAtOnce)
{
	CModalDriver modals;
	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPluginModule plugin;
	CString strError;
	ASSERT_TRUE(plugin.Load(ModulePath().c_str(), strError));
	host.AddPlugin(&plugin);
	CCartridgePage cartridgePage(host);
	CPropertyPage* pPluginPage = plugin.GetPropertyPage(&host);
	CPropertySheet sheet(_T("Corvel host"));
	sheet.AddPage(&cartridgePage);
	sheet.AddPage(pPluginPage);
	ASSERT_TRUE(sheet.Create(&host));
	sheet.SetActivePage(1);
	sheet.SetActivePage(0);
	struct Step { int nSwitch; bool bReadEnabled; } steps[] = {
		{ IDC_CART_PRESENT, false }, { IDC_CART_PRESENT, true }, { IDC_BLOCKED, false }, { IDC_BLOCKED, true },
		{ IDC_MULTI_POSITION, true }, { IDC_LINK_READY, false }, { IDC_LINK_READY, true }, { IDC_TROVESAVE, true },
	};
	for (const Step& step : steps)
	{
		host.m_calls.clear();
		::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, step.nSwitch), BM_CLICK, 0, 0);
		EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS }), host.Messages()) << step.nSwitch;
		EXPECT_EQ(step.bReadEnabled, ::IsWindowEnabled(::GetDlgItem(pPluginPage->m_hWnd, IDC_READ_TO_DISK)) != FALSE) << step.nSwitch;
	}
	ASSERT_EQ(1u, modals.m_records.size());
	EXPECT_EQ(0u, modals.m_records[0].strText.find("This cartridge uses Trovesave!"));
	sheet.DestroyWindow();
	delete pPluginPage;
	host.DestroyWindow();
}
