// The stand-in host: plug-in loading, its own page and the viewer.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "Harness.h"
#include "host/CartridgePage.h"
#include "host/SaveViewerFrame.h"
#include "host/resource.h"
#include "hexedit/HexEditBaseView.h"
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
	ASSERT_TRUE(::CopyFileA(BesideThisProgram("Mendle.cvl").c_str(), (folder / "Second.cvl").c_str(), FALSE));
	ASSERT_TRUE(first.Load(BesideThisProgram("Mendle.cvl").c_str(), strError) && second.Load((folder / "Second.cvl").c_str(), strError)) << (LPCTSTR)strError;
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
	ASSERT_TRUE(plugin.Load(BesideThisProgram("Mendle.cvl").c_str(), strError));
	host.AddPlugin(&plugin);
	CCartridgePage cartridgePage(host);
	CPropertyPage* pPluginPage = plugin.GetPropertyPage(&host);
	CPropertySheet sheet(_T("Corvel host"));
	sheet.AddPage(&cartridgePage);
	sheet.AddPage(pPluginPage);
	ASSERT_TRUE(sheet.Create(&host));
	sheet.SetActivePage(1);
	sheet.SetActivePage(0);
	auto IsEnabled = [pPluginPage](int nID) { return ::IsWindowEnabled(::GetDlgItem(pPluginPage->m_hWnd, nID)) != FALSE; };
	::SetDlgItemInt(cartridgePage.m_hWnd, IDC_CART_ID, 31337, FALSE);
	struct Step { int nSwitch; bool bReadEnabled; bool bMoreEnabled; } steps[] = {
		{ IDC_CART_PRESENT, false, false }, { IDC_CART_PRESENT, true, true }, { IDC_BLOCKED, false, false },
		{ IDC_BLOCKED, true, true }, { IDC_MULTI_POSITION, true, false }, { IDC_LINK_READY, false, false },
		{ IDC_LINK_READY, true, false }, { IDC_TROVESAVE, true, false },
	};
	for (const Step& step : steps)
	{
		host.m_calls.clear();
		::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, step.nSwitch), BM_CLICK, 0, 0);
		EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS }), host.Messages()) << step.nSwitch;
		EXPECT_EQ(std::make_pair(step.bReadEnabled, step.bMoreEnabled),
			std::make_pair(IsEnabled(IDC_READ_TO_DISK), IsEnabled(IDC_POSITION2))) << step.nSwitch;
	}
	ASSERT_EQ(1u, modals.m_records.size());
	EXPECT_EQ(0u, modals.m_records[0].strText.find("This cartridge uses Trovesave!"));
	sheet.DestroyWindow();
	delete pPluginPage;
	host.DestroyWindow();
}

// The viewer fills its frame with a read-only control that still copies.
TEST(HostPages, ViewerShowsAFileReadOnlyWithCopy)
{
	CTempFolder folder;
	CString strError;
	EXPECT_EQ(nullptr, CSaveViewerFrame::Open((folder / "viewer.sav").c_str(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "cannot be opened"));
	WriteBytes(folder / "viewer.sav", "\x01\x02\x03");
	CSaveViewerFrame* pFrame = CSaveViewerFrame::Open((folder / "viewer.sav").c_str(), strError);
	ASSERT_NE(nullptr, pFrame) << (LPCTSTR)strError;
	CHexEditBase& control = pFrame->GetHexView()->m_wndHexEdit;
	CRect rcClient, rcControl;
	pFrame->GetClientRect(&rcClient);
	control.GetClientRect(&rcControl);
	EXPECT_TRUE(::EqualRect(&rcClient, &rcControl));
	EXPECT_EQ(1, control.SendMessage(WM_CHAR, '7'));
	control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
	control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	EXPECT_EQ(CBytes("\3\0\0\0\x01\x02\x03", 7), ClipboardBlock(::RegisterClipboardFormat(_T("BinaryData"))));
	HWND hFrame = pFrame->m_hWnd;
	::DestroyWindow(hFrame);
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hFrame));
}
