// The module as a host sees it: its exports, its page's template and its module state.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "res/resource.h"

// Kept first: no page exists yet in this process. Then a page without a window yet.
TEST(PluginModule, AnswersBeforeAnyPageOrWindowExists)
{
	CPluginModule plugin;
	CString strError;
	ASSERT_TRUE(plugin.Load(ModulePath().c_str(), strError)) << (LPCTSTR)strError;
	EXPECT_EQ(261u, plugin.GetCompileVersion());
	for (UINT nMsg : { 0x0010u, 0x8000u, 0x8001u, (UINT)HM_STATUSCHANGED, 0x811Du, 0x811Eu })
		EXPECT_EQ(1, plugin.ReceiveMessage(nMsg, 0, 0));

	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPropertyPage* pPage = plugin.CreatePage(&host, strError);
	EXPECT_EQ(1, plugin.ReceiveMessage(HM_STATUSCHANGED, 0, 0));
	EXPECT_TRUE(host.m_calls.empty());
	delete pPage;
	host.DestroyWindow();
}

// The host has a dialog 1000 and a string 1 of its own: the page takes the module's.
TEST(PluginModule, PageTakesItsTemplateAndCaptionFromTheModule)
{
	CModalDriver modals;
	CPageHarness page;
	char szText[512] = "";
	TCITEMA item = { TCIF_TEXT, 0, 0, szText, sizeof(szText), 0, 0 };
	ASSERT_TRUE(::SendMessage((HWND)page.m_sheet.SendMessage(PSM_GETTABCONTROL), TCM_GETITEMA, 0, (LPARAM)&item));
	EXPECT_STREQ("Save games", szText);

	// The module's template, not the host's: its controls, the icon from the module's resources.
	EXPECT_NE(0, ::SendMessage(page.Item(IDC_WARNING_ICON), STM_GETICON, 0, 0));
	::GetDlgItemTextA(page.m_pPage->m_hWnd, IDC_SHOW_SNAPSHOT, szText, sizeof(szText));
	EXPECT_STREQ("&Show snapshot of the save game on cartridge", szText);
	EXPECT_EQ(std::make_pair((LONG)(WS_CHILD | DS_SETFONT), (LONG)WS_EX_CONTROLPARENT), std::make_pair((LONG)(::GetWindowLong(page.m_pPage->m_hWnd,
		GWL_STYLE) & (WS_CHILD | WS_POPUP | DS_SETFONT)), (LONG)(::GetWindowLong(page.m_pPage->m_hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)));
	LOGFONTA lf = {};
	::GetObjectA((HFONT)page.m_pPage->SendMessage(WM_GETFONT), sizeof(lf), &lf);
	EXPECT_STREQ("MS Sans Serif", lf.lfFaceName);
}

// A page made through the host's interface takes over the host window and the host's events.
TEST(PluginModule, SecondPageTakesOverHostWindowAndEvents)
{
	CModalDriver modals;
	CPageHarness first;
	CCartridgeSession secondSession;
	CRecordingHostWnd secondHost(secondSession);
	ASSERT_TRUE(secondHost.Create());
	ITavPropertyPage* pInterface = dynamic_cast<ITavPropertyPage*>(first.m_pPage);
	ASSERT_NE(nullptr, pInterface);
	CPropertyPage* pSecond = pInterface->GetPropertyPage(&secondHost);
	ASSERT_NE(first.m_pPage, pSecond);
	CPropertySheet sheet(_T("Second"));
	sheet.AddPage(pSecond);
	ASSERT_TRUE(sheet.Create(&secondHost));
	first.m_host.m_calls.clear();
	secondHost.m_calls.clear();

	EXPECT_EQ(1, first.m_plugin.ReceiveMessage(HM_STATUSCHANGED, 0, 0));
	EXPECT_EQ(std::make_pair(true, std::vector<UINT>({ HM_QUERYSTATUS })), std::make_pair(first.m_host.m_calls.empty(), secondHost.Messages()));

	// The first page still works; its messages go to the host window handed over last.
	secondHost.m_calls.clear();
	first.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(std::make_pair(std::vector<UINT>({ 0x811B, 0x8105, 0x8116 }), true),  // prepare, query, write
		std::make_pair(secondHost.Messages(), first.m_host.m_calls.empty()));
	sheet.DestroyWindow();
	delete dynamic_cast<ITavPropertyPage*>(pSecond);
	secondHost.DestroyWindow();
}
