// The stand-in host: plug-in loading, its own page with backups, and the viewer.
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

// The host's page lists the backups; a restore asks first and, agreed, brings the position back,
// itself backed up first.
TEST(HostPages, BackupsAreListedAndRestoredAfterAConfirmation)
{
	CTempFolder folder;
	CModalDriver modals;
	CCartridgeSession session;
	CString strError;
	ASSERT_TRUE(session.Open((folder / "restore.cart").c_str(), TRUE, strError)) << (LPCTSTR)strError;
	const CBytes before((const char*)session.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE);
	ASSERT_TRUE(session.WritePosition(1, std::vector<BYTE>(SAVE_POSITION_SIZE, 0).data(), strError));
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CCartridgePage page(host);
	CPropertySheet sheet(_T("Corvel host"));
	sheet.AddPage(&page);
	ASSERT_TRUE(sheet.Create(&host));
	HWND hList = ::GetDlgItem(page.m_hWnd, IDC_BACKUPS);
	ASSERT_EQ(1, ::SendMessage(hList, LB_GETCOUNT, 0, 0));
	char szItem[64] = "";
	::SendMessageA(hList, LB_GETTEXT, 0, (LPARAM)szItem);
	EXPECT_EQ(0u, std::string(szItem).find("Position 2, "));
	::SendMessage(hList, LB_SETCURSEL, 0, 0);
	for (int nAnswer : { IDNO, IDYES })
	{
		modals.AnswerMessageBox(nAnswer);
		::SendMessage(::GetDlgItem(page.m_hWnd, IDC_RESTORE), BM_CLICK, 0, 0);
		EXPECT_EQ(nAnswer == IDYES, before == CBytes((const char*)session.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE));
	}
	ASSERT_EQ(2u, modals.m_records.size());
	EXPECT_NE(std::string::npos, modals.m_records[0].strText.find("Restore position 2 to its backup of " + std::string(szItem + 12)));
	EXPECT_EQ((UINT)(MB_ICONQUESTION | MB_YESNO), modals.m_records[0].nStyle);
	EXPECT_EQ(2, ::SendMessage(hList, LB_GETCOUNT, 0, 0));
	sheet.DestroyWindow();
	host.DestroyWindow();
}

// The viewer fills its frame with a read-only control that still copies.
TEST(HostPages, ViewerShowsAFileReadOnlyWithCopy)
{
	CTempFolder folder;
	const std::string strPath = folder / "viewer.sav";
	std::string strBytes(300, 0);
	for (int i = 0; i < 300; ++i)
		strBytes[i] = (char)i;
	CString strError;
	EXPECT_EQ(nullptr, CSaveViewerFrame::Open(strPath.c_str(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "cannot be opened"));
	WriteBytes(strPath, strBytes);
	CSaveViewerFrame* pFrame = CSaveViewerFrame::Open(strPath.c_str(), strError);
	ASSERT_NE(nullptr, pFrame) << (LPCTSTR)strError;
	CHexEditBase& control = pFrame->GetHexView()->m_wndHexEdit;
	CRect rcClient, rcControl;
	pFrame->GetClientRect(&rcClient);
	::GetClientRect(::GetDlgItem(pFrame->m_hWnd, AFX_IDW_PANE_FIRST), &rcControl);
	EXPECT_TRUE(::EqualRect(&rcClient, &rcControl));
	EXPECT_EQ(1, control.SendMessage(WM_CHAR, '7'));
	control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
	control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	EXPECT_EQ(CBytes(std::string("\x2C\x01\0\0", 4) + strBytes), ClipboardBlock(::RegisterClipboardFormat(_T("BinaryData"))));
	HWND hFrame = pFrame->m_hWnd;
	::DestroyWindow(hFrame);
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hFrame));
}
