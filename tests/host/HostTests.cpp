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
#include <set>

static std::string TempPath(const char* pszName)
{
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	return std::string(szTemp) + pszName;
}

// The status record carries every field at its offset; positions start distinct and refuse
// numbers outside 0 to 3 and a missing cartridge.
TEST(HostCartridge, StatusAndPositions)
{
	CCartridge cart;
	CARTSTATUS status;
	std::memset(&status, 0xCC, sizeof(status));
	cart.m_bLinkReady = TRUE;
	cart.m_bPresent = FALSE;
	cart.m_bBlocked = TRUE;
	cart.m_bTrovesave = TRUE;
	cart.m_dwCartId = 0x12345678;
	cart.FillStatus(status);
	const BYTE* pRaw = reinterpret_cast<const BYTE*>(&status);
	EXPECT_EQ(std::vector<DWORD>({ 1, 0, 1, 1, 0x12345678 }), std::vector<DWORD>({ pRaw[2], pRaw[3],
		*(const DWORD*)(pRaw + 264), *(const DWORD*)(pRaw + 536), *(const DWORD*)(pRaw + 560) }));
	EXPECT_EQ(0, std::memcmp(pRaw + 568, "BG15", 4));
	cart.m_bTrovesave = FALSE;
	cart.FillStatus(status);
	EXPECT_EQ(0u, status.dwTrovesaveMagic);

	std::set<std::string> contents;
	for (int n = 0; n < SAVE_POSITION_COUNT; ++n)
		contents.insert(std::string((const char*)cart.GetPosition(n), SAVE_POSITION_SIZE));
	EXPECT_EQ(4u, contents.size());
	std::vector<BYTE> buffer(SAVE_POSITION_SIZE, 0x77), back(SAVE_POSITION_SIZE);
	cart.m_bPresent = TRUE;
	EXPECT_TRUE(cart.WritePosition(3, buffer.data()));
	EXPECT_TRUE(cart.ReadPosition(3, back.data()));
	EXPECT_EQ(buffer, back);
	EXPECT_FALSE(cart.ReadPosition(4, back.data()));
	EXPECT_FALSE(cart.WritePosition(-1, buffer.data()));
	cart.m_bPresent = FALSE;
	EXPECT_FALSE(cart.WritePosition(0, buffer.data()));
}

TEST(HostWindow, AnswersTheCartridgeMessages)
{
	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CARTSTATUS status = {};
	host.SendMessage(HM_QUERYSTATUS, (WPARAM)&status);
	EXPECT_EQ(1, status.bCartPresent);
	std::vector<BYTE> image(SAVE_POSITION_SIZE + 256, 0);
	host.SendMessage(HM_READSAVE, (WPARAM)image.data(), 3);
	EXPECT_EQ(0, std::memcmp(image.data(), session.GetCartridge().GetPosition(3), SAVE_POSITION_SIZE));
	std::fill(image.begin(), image.end(), 0x42);
	host.SendMessage(HM_WRITESAVE, (WPARAM)image.data(), 1);
	EXPECT_EQ(0x42, session.GetCartridge().GetPosition(1)[SAVE_POSITION_SIZE - 1]);
	EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS, HM_READSAVE, HM_WRITESAVE }), host.Messages());
	host.DestroyWindow();
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
