// The module as a host sees it: its exports, its page's template and its module state.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "res/resource.h"

// The page's interface as a host built apart from this code declares it: the slots are what counts.
struct IHostsPage { virtual ~IHostsPage() = default; virtual CPropertyPage* GetPropertyPage(CWnd* pHostWnd) = 0; };

static void* ThrowBadAlloc(size_t)
{
	throw std::bad_alloc();
}

// One test: whether a page exists yet in this process matters. The host has a dialog 1000 and a
// string 1 of its own, so that the page must take the module's.
TEST(PluginModule, AnswersBeforeAnyPageOrWindowExistsThenTakesItsTemplateAndASecondPageTakesOverTheHost)
{
	// Another program may load, use and free the module: loaded again, it starts afresh.
	const HMODULE hOnce = CPageHarness().m_plugin.GetModule();
	WNDCLASSA wc;  // its window classes go with it
	EXPECT_TRUE(::FreeLibrary(hOnce) && ::GetModuleHandleA("Mendle.cvl") == NULL && !::GetClassInfoA(hOnce, "CHexEditBase_SC", &wc));
	CPluginModule plugin;
	CString strError;
	ASSERT_TRUE(plugin.Load(ModulePath().c_str(), strError)) << (LPCTSTR)strError;
	EXPECT_EQ(261u, plugin.GetCompileVersion());
	for (UINT nMsg : { 0x0010u, 0x8000u, 0x8001u, (UINT)HM_STATUSCHANGED, 0x811Du, 0x811Eu })
		EXPECT_EQ(1, plugin.ReceiveMessage(nMsg, 0, 0));

	// What the host may read of the module: strings 2 to 7, menu 1005, the version record, icon 143.
	const HMODULE hModule = plugin.GetModule();
	char sz[256];
	auto text = [&](int nID) { return std::string(sz, ::LoadStringA(hModule, nID, sz, sizeof(sz))); };
	EXPECT_EQ(std::make_tuple(std::string("Save games"), std::string(), true, std::string("basic_cellar"), true, std::string("Basic save game tool\r\n"),
		true, std::string("1.2")), std::make_tuple(text(1), text(2), text(3).find("Corvel") != std::string::npos, text(4), !text(5).empty(),
		text(6).substr(0, 22), text(6).size() > 22, text(7)));
	HMENU hMenu = ::LoadMenuA(hModule, MAKEINTRESOURCEA(1005));
	EXPECT_EQ(std::make_tuple(1, 65535u, std::string("Display")), std::make_tuple(::GetMenuItemCount(hMenu), ::GetMenuItemID(hMenu, 0),
		std::string(sz, ::GetMenuStringA(hMenu, 0, sz, sizeof(sz), MF_BYPOSITION))));
	auto resource = [&](int nID, LPCSTR pszType, int nOffset, int nSize) { return CBytes((const char*)::LockResource(::LoadResource(hModule,
		::FindResourceA(hModule, MAKEINTRESOURCEA(nID), pszType))) + nOffset, nSize); };
	// Version 1.0.0.1; one icon, 32 by 32 in 16 colours; dialog 1000 with its own styles (a sheet adds some).
	EXPECT_EQ(std::make_tuple(CBytes("\0\0\1\0\1\0\0\0\0\0\1\0\1\0\0\0", 16), CBytes("\1\0\x20\x20\x10", 5), CBytes("\1\0\xFF\xFF\0\0\0\0\0\0\1\0\x40\0\0\x40", 16)),
		std::make_tuple(resource(1, (LPCSTR)RT_VERSION, 48, 16), resource(143, (LPCSTR)RT_GROUP_ICON, 4, 5), resource(1000, (LPCSTR)RT_DIALOG, 0, 16)));

	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPropertyPage* pPage = plugin.CreatePage(&host, strError);
	EXPECT_TRUE(plugin.ReceiveMessage(HM_STATUSCHANGED, 0, 0) == 1 && host.m_calls.empty());
	delete pPage;

	CModalDriver modals;
	CPageHarness first;
	EXPECT_EQ(TRUE, modals.m_initDialogAnswers[first.m_pPage->m_hWnd]);  // the dialog manager sets the first focus
	char szText[512] = "";
	TCITEMA item = { TCIF_TEXT, 0, 0, szText, sizeof(szText), 0, 0 };
	ASSERT_TRUE(::SendMessage((HWND)first.m_sheet.SendMessage(PSM_GETTABCONTROL), TCM_GETITEMA, 0, (LPARAM)&item));
	EXPECT_STREQ("Save games", szText);
	// The module's template, not the host's. A checked radio button is a tab stop; the snapshot's border
	// becomes a client edge; the icon takes its image's size, and its number is its text.
	const LONG T = WS_TABSTOP, G = WS_GROUP, E = ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY;
	struct Control { std::string strText; int nID, x, y, cx, cy; LONG lBits; } controls[] = {
		{ "Save game transfer", -1, 5, 5, 400, 183, BS_GROUPBOX }, { "Position &1", 1019, 14, 21, 47, 10, BS_AUTORADIOBUTTON | T },
		{ "Position &2", 1020, 14, 36, 47, 10, BS_AUTORADIOBUTTON }, { "Position &3", 1021, 14, 51, 47, 10, BS_AUTORADIOBUTTON },
		{ "Position &4", 1022, 14, 66, 47, 10, BS_AUTORADIOBUTTON }, { "", 1023, 14, 104, 383, 58, E | T | WS_EX_CLIENTEDGE },
		{ "&Read from flash cart to disk...", 1002, 82, 21, 104, 26, T }, { "&Write from disk to cartridge...", 1003, 82, 50, 104, 26, T },
		{ "&Show snapshot of the save game on cartridge", 1000, 14, 87, 161, 10, BS_AUTOCHECKBOX | T }, { "Save positions 1-3 usually will be "
		"used by the games 1-3 on the cartridge. Save position 4 will be used by games 4 and above. You may wish to put the games onto the "
		"cartridge in the desired order.", -1, 198, 21, 199, 35, G }, { "\xFF\x8F", 1024, 198, 68, 0, 0, SS_ICON }, { "You don't need to use "
		"this plugin as the cartridge you are accessing uses Trovesave. Please note that the saved games could be lost if you take any action "
		"on this page.", 1025, 226, 63, 171, 32, G }, { "Format &selected save position", 1001, 14, 167, 123, 14, T },
		{ "Format &all save positions...", 1026, 147, 167, 103, 14, T },
	};
	HWND hChild = ::GetWindow(first.m_pPage->m_hWnd, GW_CHILD);
	auto Box = [](const RECT& rc) { return std::vector<LONG>({ rc.left, rc.top, rc.right, rc.bottom }); };
	for (const Control& c : controls)
	{
		CRect rc(c.x, c.y, c.cx, c.cy), rcShown;  // place and size mapped apart, as the dialog manager does
		::MapDialogRect(first.m_pPage->m_hWnd, &rc);
		rc.right += c.cx != 0 ? rc.left : rc.left + 32, rc.bottom += c.cy != 0 ? rc.top : rc.top + 32;
		::GetWindowRect(hChild, &rcShown);
		::MapWindowPoints(NULL, first.m_pPage->m_hWnd, (POINT*)&rcShown, 2);
		EXPECT_EQ(std::make_tuple(c.strText, c.nID, Box(rc), c.lBits), std::make_tuple(std::string(szText, ::GetWindowTextA(hChild, szText,
			sizeof(szText))), ::GetDlgCtrlID(hChild), Box(rcShown), (::GetWindowLong(hChild, GWL_STYLE) & (0xFFFF | T | G))
			| (::GetWindowLong(hChild, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)));
		hChild = ::GetWindow(hChild, GW_HWNDNEXT);
	}
	EXPECT_EQ(std::make_tuple((LONG)(WS_CHILD | DS_SETFONT), (LONG)WS_EX_CONTROLPARENT, 0), std::make_tuple((LONG)(::GetWindowLong(first.m_pPage->m_hWnd,
		GWL_STYLE) & (WS_CHILD | WS_POPUP | DS_SETFONT)), (LONG)(::GetWindowLong(first.m_pPage->m_hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT),
		::GetWindowTextLength(first.m_pPage->m_hWnd)));  // no caption of its own
	LOGFONTA lf = {};
	::GetObjectA((HFONT)first.m_pPage->SendMessage(WM_GETFONT), sizeof(lf), &lf);
	CRect rcPage(0, 0, 410, 193), rcClient;  // 8 points, 410 by 193 dialog units
	::MapDialogRect(first.m_pPage->m_hWnd, &rcPage);
	first.m_pPage->GetClientRect(&rcClient);
	EXPECT_EQ(std::make_tuple(Box(rcPage), (LONG)-::MulDiv(8, ::GetDeviceCaps(CClientDC(first.m_pPage).m_hDC, LOGPIXELSY), 72), std::string("MS Sans Serif")),
		std::make_tuple(Box(rcClient), lf.lfHeight, std::string(lf.lfFaceName)));
	// Icon 143 as the page shows it: the dialog's face around a black edge, a yellow field, a black bar and dot.
	::ShowWindow(first.Item(IDC_WARNING_ICON), SW_SHOW);
	::UpdateWindow(first.Item(IDC_WARNING_ICON));
	CClientDC dcIcon(CWnd::FromHandle(first.Item(IDC_WARNING_ICON)));
	std::vector<COLORREF> pixels;
	for (POINT pt : { POINT{ 1, 1 }, POINT{ 16, 29 }, POINT{ 10, 26 }, POINT{ 16, 12 }, POINT{ 16, 23 }, POINT{ 16, 25 } })
		pixels.push_back(::GetPixel(dcIcon.m_hDC, pt.x, pt.y));
	EXPECT_EQ(std::vector<COLORREF>({ ::GetSysColor(COLOR_BTNFACE), 0, RGB(255, 255, 0), 0, RGB(255, 255, 0), 0 }), pixels);
	EXPECT_STREQ("CMendlePage", first.m_pPage->GetRuntimeClass()->m_lpszClassName);
	EXPECT_TRUE(first.m_pPage->IsKindOf(RUNTIME_CLASS(CPropertyPage)));
	EXPECT_EQ(dynamic_cast<void*>(first.m_pPage), (void*)first.m_pPage);  // the page's address is the object's: a host may hold either
	EXPECT_STREQ("CHexEditBase", CWnd::FromHandlePermanent(first.Item(IDC_SNAPSHOT))->GetRuntimeClass()->m_lpszClassName);

	ITavPropertyPage* pInterface = dynamic_cast<ITavPropertyPage*>(first.m_pPage);
	ASSERT_NE(nullptr, pInterface);
	CPropertyPage* pSecond = reinterpret_cast<IHostsPage*>(pInterface)->GetPropertyPage(&host);
	ASSERT_NE(first.m_pPage, pSecond);
	CPropertySheet sheet(_T("Second"));
	sheet.AddPage(pSecond);
	ASSERT_TRUE(sheet.Create(&host));
	first.m_host.m_calls.clear();
	host.m_calls.clear();
	EXPECT_TRUE(first.m_plugin.ReceiveMessage(HM_STATUSCHANGED, 0, 0) == 1 && first.m_host.m_calls.empty() && host.Messages() == std::vector<UINT>({ HM_QUERYSTATUS }));
	// The first page still works; its messages go to the host window handed over last.
	host.m_calls.clear();
	first.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(std::make_pair(std::vector<UINT>({ 0x811B, 0x8105, 0x8116 }), true),  // prepare, query, write
		std::make_pair(host.Messages(), first.m_host.m_calls.empty()));
	// A page that cannot be allocated: the host gets the exception in its own state, and the last page its events.
	CImportPatch noPage("Mendle.cvl", "libstdc++-6.dll", sizeof(size_t) == 8 ? "_Znwy" : "_Znwj", (FARPROC)ThrowBadAlloc);
	EXPECT_THROW(plugin.CreatePage(&first.m_host, strError), std::bad_alloc);
	host.m_calls.clear();
	EXPECT_TRUE(AfxGetAppModuleState() == AfxGetModuleState() && plugin.ReceiveMessage(HM_STATUSCHANGED, 0, 0) == 1 && host.m_calls.empty());
	EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS }), first.m_host.Messages());
	sheet.DestroyWindow();
	delete dynamic_cast<ITavPropertyPage*>(pSecond);
	host.DestroyWindow();
}
