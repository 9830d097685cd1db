// The stand-in host: its cartridge, window, plug-in loading, own page and viewer.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "Harness.h"
#include "host/CartridgePage.h"
#include "host/SaveViewerFrame.h"
#include "host/resource.h"
#include "hexedit/HexEditBaseView.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>

static std::string TempPath(const char* pszName)
{
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	return std::string(szTemp) + pszName;
}

// A module that is no plug-in, is missing or was built for another host is refused by name;
// two good modules each hand out their own page, made from their own resources.
TEST(HostPlugins, LoadsPluginsAndRefusesOtherModules)
{
	const std::string strFolder = ModulePath().substr(0, ModulePath().rfind('\\') + 1);
	struct Case { std::string strPath; const char* pszReason; } cases[] = {
		{ strFolder + "afx.dll", "GetPropertyPage" }, { strFolder + "absent.cvl", "absent.cvl" },
		{ strFolder + "modules\\badversion.cvl", "version 260" },
	};
	CPluginModule first, second;
	CString strError;
	for (const Case& c : cases)
	{
		EXPECT_FALSE(first.Load(c.strPath.c_str(), strError));
		EXPECT_NE(nullptr, std::strstr(strError, c.strPath.substr(strFolder.size()).c_str())) << (LPCTSTR)strError;
		EXPECT_NE(nullptr, std::strstr(strError, c.pszReason)) << (LPCTSTR)strError;
	}
	const std::string strSecond = TempPath("Second.cvl");
	ASSERT_TRUE(::CopyFileA(ModulePath().c_str(), strSecond.c_str(), FALSE));
	ASSERT_TRUE(first.Load(ModulePath().c_str(), strError)) << (LPCTSTR)strError;
	ASSERT_TRUE(second.Load(strSecond.c_str(), strError)) << (LPCTSTR)strError;
	EXPECT_EQ(261u, first.GetCompileVersion());
	EXPECT_NE(first.GetModule(), second.GetModule());
	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPropertyPage* apPages[] = { first.GetPropertyPage(&host), second.GetPropertyPage(&host) };
	EXPECT_EQ(first.GetModule(), apPages[0]->m_psp.hInstance);
	EXPECT_EQ(second.GetModule(), apPages[1]->m_psp.hInstance);
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
	const HWND hPlugin = pPluginPage->m_hWnd;
	::SetDlgItemInt(cartridgePage.m_hWnd, IDC_CART_ID, 31337, FALSE);
	struct Step { int nSwitch; bool bReadEnabled; bool bMoreEnabled; } steps[] = {
		{ IDC_CART_PRESENT, false, false }, { IDC_CART_PRESENT, true, true }, { IDC_BLOCKED, false, false },
		{ IDC_BLOCKED, true, true }, { IDC_MULTI_POSITION, true, false }, { IDC_LINK_READY, false, false },
		{ IDC_LINK_READY, true, false }, { IDC_TROVESAVE, true, false },
	};
	for (const Step& step : steps)
	{
		SCOPED_TRACE(testing::Message() << "switch " << step.nSwitch);
		host.m_calls.clear();
		::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, step.nSwitch), BM_CLICK, 0, 0);
		EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS }), host.Messages());
		EXPECT_EQ(step.bReadEnabled, ::IsWindowEnabled(::GetDlgItem(hPlugin, IDC_READ_TO_DISK)) != FALSE);
		EXPECT_EQ(step.bMoreEnabled, ::IsWindowEnabled(::GetDlgItem(hPlugin, IDC_POSITION2)) != FALSE);
	}
	EXPECT_NE(0, ::GetWindowLong(::GetDlgItem(hPlugin, IDC_TROVESAVE_NOTE), GWL_STYLE) & WS_VISIBLE);
	ASSERT_EQ(1u, modals.m_records.size());
	EXPECT_EQ(0u, modals.m_records[0].strText.find("This cartridge uses Trovesave!"));
	sheet.DestroyWindow();
	delete pPluginPage;
	host.DestroyWindow();
}

TEST(HostPages, BackupsAreListedAndRestoredAfterAConfirmation)
{
	const std::string strCart = TempPath("restore-test.cart");
	::DeleteFileA(strCart.c_str());
	CModalDriver modals;
	CCartridgeSession session;
	CString strError;
	ASSERT_TRUE(session.Open(strCart.c_str(), TRUE, strError)) << (LPCTSTR)strError;
	const CBytes before((const char*)session.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE);
	std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	ASSERT_TRUE(session.WritePosition(1, zeros.data(), strError));
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
	// Answered No, nothing changes; answered Yes, the position comes back, itself backed up first.
	for (int nAnswer : { IDNO, IDYES })
	{
		modals.AnswerMessageBox(nAnswer);
		::SendMessage(::GetDlgItem(page.m_hWnd, IDC_RESTORE), BM_CLICK, 0, 0);
	}
	ASSERT_EQ(2u, modals.m_records.size());
	EXPECT_NE(std::string::npos, modals.m_records[0].strText.find("Restore position 2 to its backup of " + std::string(szItem + 12)));
	EXPECT_EQ((UINT)(MB_ICONQUESTION | MB_YESNO), modals.m_records[0].nStyle);
	EXPECT_EQ(before, CBytes((const char*)session.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE));
	EXPECT_EQ(2, ::SendMessage(hList, LB_GETCOUNT, 0, 0));
	sheet.DestroyWindow();
	host.DestroyWindow();
	for (const CBackup& backup : session.GetBackups()->List())
		::DeleteFile(backup.strPath);
	::RemoveDirectory(session.GetBackups()->GetFolder());
	::DeleteFileA(strCart.c_str());
}

// The viewer fills its frame with a read-only control that still copies.
TEST(HostPages, ViewerShowsAFileReadOnlyWithCopy)
{
	const std::string strPath = TempPath("viewer-test.sav");
	std::string strBytes(300, 0);
	for (int i = 0; i < 300; ++i)
		strBytes[i] = (char)i;
	PutBlock(CF_TEXT, "-");
	CString strError;
	EXPECT_EQ(nullptr, CSaveViewerFrame::Open(strPath.c_str(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "cannot be opened"));
	FILE* pFile = std::fopen(strPath.c_str(), "wb");
	std::fwrite(strBytes.data(), 1, strBytes.size(), pFile);
	std::fclose(pFile);
	CSaveViewerFrame* pFrame = CSaveViewerFrame::Open(strPath.c_str(), strError);
	ASSERT_NE(nullptr, pFrame) << (LPCTSTR)strError;
	CHexEditBase& control = pFrame->GetHexView()->m_wndHexEdit;
	CRect rcClient, rcControl;
	pFrame->GetClientRect(&rcClient);
	::GetClientRect(::GetDlgItem(pFrame->m_hWnd, AFX_IDW_PANE_FIRST), &rcControl);
	EXPECT_EQ(std::make_pair(rcClient.Width(), rcClient.Height()), std::make_pair(rcControl.Width(), rcControl.Height()));
	EXPECT_EQ(1, control.SendMessage(WM_CHAR, '7'));
	control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
	control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	EXPECT_EQ(CBytes(std::string("\x2C\x01\0\0", 4) + strBytes), ClipboardBlock(::RegisterClipboardFormat(_T("BinaryData"))));
	HWND hFrame = pFrame->m_hWnd;
	::DestroyWindow(hFrame);
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hFrame));
	::DeleteFileA(strPath.c_str());
}
