// The host's own page and viewer, driven as a person would.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "host/CartridgePage.h"
#include "host/SaveViewerFrame.h"
#include "host/resource.h"
#include "hexedit/HexEditBaseView.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <cstring>
#include <fstream>

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
	HWND hPlugin = pPluginPage->m_hWnd;
	ASSERT_NE((HWND)NULL, hPlugin);

	struct Step { int nSwitch; bool bReadEnabled; bool bMoreEnabled; } steps[] = {
		{ IDC_CART_PRESENT, false, false }, { IDC_CART_PRESENT, true, true },
		{ IDC_BLOCKED, false, false }, { IDC_BLOCKED, true, true },
		{ IDC_MULTI_POSITION, true, false }, { IDC_LINK_READY, false, false }, { IDC_LINK_READY, true, false },
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

	// Trovesave on: the notice shows on the plug-in's page and its warning comes up once.
	host.m_calls.clear();
	::SetDlgItemInt(cartridgePage.m_hWnd, IDC_CART_ID, 31337, FALSE);
	host.m_calls.clear();
	::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_TROVESAVE), BM_CLICK, 0, 0);
	EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS }), host.Messages());
	EXPECT_NE(0, ::GetWindowLong(::GetDlgItem(hPlugin, IDC_TROVESAVE_NOTE), GWL_STYLE) & WS_VISIBLE);
	ASSERT_EQ(1u, modals.m_records.size());
	EXPECT_EQ(0u, modals.m_records[0].strText.find("This cartridge uses Trovesave!"));

	sheet.DestroyWindow();
	delete pPluginPage;
	host.DestroyWindow();
}

TEST(HostPages, BackupsAreListedAndRestoredAfterAConfirmation)
{
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	std::string strCart = std::string(szTemp) + "restore-test.cart";
	auto Clean = [&strCart]() {
		CBackupStore store(strCart.c_str());
		for (const CBackup& backup : store.List())
			::DeleteFile(backup.strPath);
		::RemoveDirectory(store.GetFolder());
		::DeleteFileA(strCart.c_str());
	};
	Clean();
	CModalDriver modals;
	CCartridgeSession session;
	CString strError;
	ASSERT_TRUE(session.Open(strCart.c_str(), TRUE, strError)) << (LPCTSTR)strError;
	std::vector<BYTE> before(session.GetCartridge().GetPosition(1), session.GetCartridge().GetPosition(1) + SAVE_POSITION_SIZE);
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
	std::string strTime = std::string(szItem).substr(12);

	// Answered No, nothing changes; answered Yes, the position comes back, itself backed up first.
	::SendMessage(hList, LB_SETCURSEL, 0, 0);
	modals.AnswerMessageBox(IDNO);
	::SendMessage(::GetDlgItem(page.m_hWnd, IDC_RESTORE), BM_CLICK, 0, 0);
	ASSERT_EQ(1u, modals.m_records.size());
	EXPECT_NE(std::string::npos, modals.m_records[0].strText.find("Restore position 2 to its backup of " + strTime));
	EXPECT_EQ((UINT)MB_YESNO, modals.m_records[0].nButtons);
	EXPECT_EQ(0, session.GetCartridge().GetPosition(1)[0]);
	modals.AnswerMessageBox(IDYES);
	::SendMessage(::GetDlgItem(page.m_hWnd, IDC_RESTORE), BM_CLICK, 0, 0);
	EXPECT_EQ(0, std::memcmp(before.data(), session.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE));
	EXPECT_EQ(2, ::SendMessage(hList, LB_GETCOUNT, 0, 0));

	sheet.DestroyWindow();
	host.DestroyWindow();
	Clean();
}

TEST(HostPages, ViewerShowsAFileReadOnlyWithCopy)
{
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	std::string strPath = std::string(szTemp) + "viewer-test.sav";
	{
		std::ofstream file(strPath, std::ios::binary);
		for (int i = 0; i < 300; ++i)
			file.put((char)i);
	}
	CString strError;
	CSaveViewerFrame* pFrame = CSaveViewerFrame::Open(strPath.c_str(), strError);
	ASSERT_NE(nullptr, pFrame) << (LPCTSTR)strError;
	CHexEditBase& control = pFrame->GetHexView()->m_wndHexEdit;
	CRect rcClient, rcControl;
	pFrame->GetClientRect(&rcClient);
	::GetClientRect(::GetDlgItem(pFrame->m_hWnd, AFX_IDW_PANE_FIRST), &rcControl);
	EXPECT_EQ(rcClient.Width(), rcControl.Width());
	EXPECT_EQ(rcClient.Height(), rcControl.Height());

	EXPECT_EQ(1, control.SendMessage(WM_CHAR, '7'));
	control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
	control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	ASSERT_TRUE(::OpenClipboard(NULL));
	HGLOBAL hBlock = ::GetClipboardData(::RegisterClipboardFormat(_T("BinaryData")));
	ASSERT_NE((HGLOBAL)NULL, hBlock);
	const BYTE* p = (const BYTE*)::GlobalLock(hBlock);
	EXPECT_EQ(300u, *(const DWORD*)p);
	EXPECT_EQ(0, p[4]);
	EXPECT_EQ(0xFF, p[4 + 255]);
	::GlobalUnlock(hBlock);
	::CloseClipboard();

	HWND hFrame = pFrame->m_hWnd;
	::DestroyWindow(hFrame);
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hFrame));
	::DeleteFileA(strPath.c_str());

	EXPECT_EQ(nullptr, CSaveViewerFrame::Open((strPath + ".missing").c_str(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "cannot be opened"));
}
