// The module as a host sees it: exports, resources, the page's layout and module state.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <cstring>

struct CExports
{
	CExports()
		: hModule(::LoadLibraryA(ModulePath().c_str())),
		  pfnPage((PFN_GETPROPERTYPAGE)(void*)::GetProcAddress(hModule, "GetPropertyPage")),
		  pfnReceive((PFN_RECEIVEMESSAGE)(void*)::GetProcAddress(hModule, "ReceiveMessage")),
		  pfnVersion((PFN_GETCOMPILEVERSION)(void*)::GetProcAddress(hModule, "GetCompileVersion"))
	{
	}
	HMODULE hModule;
	PFN_GETPROPERTYPAGE pfnPage;
	PFN_RECEIVEMESSAGE pfnReceive;
	PFN_GETCOMPILEVERSION pfnVersion;
};

// Kept first: no page exists yet in this process. Then a page without a window yet.
TEST(PluginModule, AnswersBeforeAnyPageOrWindowExists)
{
	CExports exports;
	ASSERT_TRUE(exports.pfnPage != NULL && exports.pfnReceive != NULL && exports.pfnVersion != NULL);
	EXPECT_EQ(261u, exports.pfnVersion());
	for (UINT nMsg : { 0x0010u, 0x8000u, 0x8001u, (UINT)HM_STATUSCHANGED, 0x811Du, 0x811Eu })
		EXPECT_EQ(1, exports.pfnReceive(nMsg, 0, 0));

	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPropertyPage* pPage = exports.pfnPage(&host);
	EXPECT_EQ(1, exports.pfnReceive(HM_STATUSCHANGED, 0, 0));
	EXPECT_TRUE(host.m_calls.empty());
	delete pPage;
	host.DestroyWindow();
}

TEST(PluginModule, ResourcesDescribeThePlugin)
{
	CExports exports;
	char szText[512];
	const char* const apszStrings[] = { "Save games", "", NULL, "basic_cellar", NULL, NULL, "1.2" };
	for (UINT nID = 1; nID <= 7; ++nID)
	{
		szText[::LoadStringA(exports.hModule, nID, szText, sizeof(szText))] = 0;
		if (apszStrings[nID - 1] != NULL)
			EXPECT_STREQ(apszStrings[nID - 1], szText) << nID;
		else
			EXPECT_NE(0u, std::strlen(szText)) << nID;
	}
	::LoadStringA(exports.hModule, 6, szText, sizeof(szText));
	EXPECT_EQ(0, std::strncmp(szText, "Basic save game tool\r\n", 22));
	EXPECT_LT(22u, std::strlen(szText));

	HMENU hMenu = ::LoadMenu(exports.hModule, MAKEINTRESOURCE(1005));
	ASSERT_EQ(1, ::GetMenuItemCount(hMenu));
	EXPECT_EQ(65535u, ::GetMenuItemID(hMenu, 0));
	::GetMenuStringA(hMenu, 0, szText, sizeof(szText), MF_BYPOSITION);
	EXPECT_STREQ("Display", szText);
	::DestroyMenu(hMenu);

	// Icon 143: one 32x32 image of 16 colours.
	HRSRC hGroup = ::FindResource(exports.hModule, MAKEINTRESOURCE(143), RT_GROUP_ICON);
	ASSERT_NE((HRSRC)NULL, hGroup);
	const BYTE* pGroup = (const BYTE*)::LockResource(::LoadResource(exports.hModule, hGroup));
	EXPECT_EQ(std::vector<int>({ 1, 32, 32, 16 }), std::vector<int>({ *(const WORD*)(pGroup + 4), pGroup[6], pGroup[7], pGroup[8] }));

	::GetModuleFileNameA(exports.hModule, szText, MAX_PATH);
	std::vector<BYTE> info(::GetFileVersionInfoSizeA(szText, NULL));
	ASSERT_TRUE(::GetFileVersionInfoA(szText, 0, (DWORD)info.size(), info.data()));
	VS_FIXEDFILEINFO* pFixed = NULL;
	char* pszName = NULL;
	UINT nLen = 0;
	ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", (void**)&pFixed, &nLen));
	EXPECT_EQ(std::vector<DWORD>({ MAKELONG(0, 1), MAKELONG(1, 0), MAKELONG(0, 1) }),
		std::vector<DWORD>({ pFixed->dwFileVersionMS, pFixed->dwFileVersionLS, pFixed->dwProductVersionMS }));
	ASSERT_TRUE(::VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\InternalName", (void**)&pszName, &nLen));
	EXPECT_STREQ("Mendle", pszName);
}

// The host has a dialog 1000 and a string 1 of its own: the page takes the module's, laid out
// as its template says (in dialog units, through the page's own font).
TEST(PluginModule, PageTakesItsTemplateAndCaptionFromTheModule)
{
	CModalDriver modals;
	CPageHarness page;
	char szText[512] = "";
	TCITEMA item = {};
	item.mask = TCIF_TEXT;
	item.pszText = szText;
	item.cchTextMax = sizeof(szText);
	ASSERT_TRUE(::SendMessage((HWND)page.m_sheet.SendMessage(PSM_GETTABCONTROL), TCM_GETITEMA, 0, (LPARAM)&item));
	EXPECT_STREQ("Save games", szText);

	struct Item { DWORD dwStyle; int x, y, cx, cy, nID; const char* pszClass; const char* pszText; };
	const DWORD C = WS_CHILD, B = WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON;
	const Item items[] = {
		{ C | BS_GROUPBOX, 5, 5, 400, 183, -1, "Button", "Save game transfer" },
		{ C | BS_AUTORADIOBUTTON, 14, 21, 47, 10, 1019, "Button", "Position &1" },
		{ C | BS_AUTORADIOBUTTON, 14, 36, 47, 10, 1020, "Button", "Position &2" },
		{ C | BS_AUTORADIOBUTTON, 14, 51, 47, 10, 1021, "Button", "Position &3" },
		{ C | BS_AUTORADIOBUTTON, 14, 66, 47, 10, 1022, "Button", "Position &4" },
		{ C | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY, 14, 104, 383, 58, 1023, "Edit", "" },
		{ B, 82, 21, 104, 26, 1002, "Button", "&Read from flash cart to disk..." },
		{ B, 82, 50, 104, 26, 1003, "Button", "&Write from disk to cartridge..." },
		{ C | WS_TABSTOP | BS_AUTOCHECKBOX, 14, 87, 161, 10, 1000, "Button", "&Show snapshot of the save game on cartridge" },
		{ C | SS_LEFT | WS_GROUP, 198, 21, 199, 35, -1, "Static", "Save positions 1-3 usually will be used by the games "
		  "1-3 on the cartridge. Save position 4 will be used by games 4 and above. You may wish to put the games onto "
		  "the cartridge in the desired order." },
		{ C | SS_ICON, 198, 68, 20, 20, 1024, "Static", "\xFF\x8F" },
		{ C | SS_LEFT | WS_GROUP, 226, 63, 171, 32, 1025, "Static", "You don't need to use this plugin as the cartridge "
		  "you are accessing uses Trovesave. Please note that the saved games could be lost if you take any action on "
		  "this page." },
		{ B, 14, 167, 123, 14, 1001, "Button", "Format &selected save position" },
		{ B, 147, 167, 103, 14, 1026, "Button", "Format &all save positions..." },
	};
	HWND hChild = ::GetWindow(page.m_pPage->m_hWnd, GW_CHILD);
	for (const Item& expected : items)
	{
		SCOPED_TRACE(expected.nID);
		ASSERT_NE((HWND)NULL, hChild);
		// An icon sizes itself to its image.
		CRect rc(expected.x, expected.y, expected.cx, expected.cy), rcChild;
		::MapDialogRect(page.m_pPage->m_hWnd, &rc);
		::GetWindowRect(hChild, &rcChild);
		::MapWindowPoints(NULL, page.m_pPage->m_hWnd, (LPPOINT)&rcChild, 2);
		const bool bIcon = (expected.dwStyle & SS_TYPEMASK) == SS_ICON && expected.pszClass[0] == 'S';
		EXPECT_EQ(std::vector<LONG>({ rc.left, rc.top, bIcon ? 0 : rc.right, bIcon ? 0 : rc.bottom }),
			std::vector<LONG>({ rcChild.left, rcChild.top, bIcon ? 0 : rcChild.Width(), bIcon ? 0 : rcChild.Height() }));
		EXPECT_EQ(expected.nID, (short)::GetDlgCtrlID(hChild));
		// Each style of the template, the control's kind exactly; the system adds some of its own.
		const DWORD dwStyle = (DWORD)::GetWindowLong(hChild, GWL_STYLE);
		EXPECT_EQ(expected.dwStyle, (dwStyle & expected.dwStyle) | (expected.dwStyle & 0x0F));
		EXPECT_EQ(expected.dwStyle & 0x0F, dwStyle & 0x0F);
		::GetClassNameA(hChild, szText, sizeof(szText));
		EXPECT_STREQ(expected.pszClass, szText);
		::GetWindowTextA(hChild, szText, sizeof(szText));
		EXPECT_STREQ(expected.pszText, szText);
		hChild = ::GetWindow(hChild, GW_HWNDNEXT);
	}
	EXPECT_EQ(NULL, hChild);
	EXPECT_EQ((LONG)(WS_CHILD | DS_SETFONT), ::GetWindowLong(page.m_pPage->m_hWnd, GWL_STYLE) & (WS_CHILD | WS_POPUP | DS_SETFONT));
	EXPECT_NE(0, ::GetWindowLong(page.m_pPage->m_hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
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
	EXPECT_TRUE(first.m_host.m_calls.empty());
	EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS }), secondHost.Messages());

	// The first page still works; its messages go to the host window handed over last.
	secondHost.m_calls.clear();
	first.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(std::vector<UINT>({ HM_PREPARETRANSFER, HM_QUERYSTATUS, HM_WRITESAVE }), secondHost.Messages());
	EXPECT_TRUE(first.m_host.m_calls.empty());
	sheet.DestroyWindow();
	delete dynamic_cast<ITavPropertyPage*>(pSecond);
	secondHost.DestroyWindow();
}

static UINT_PTR StackPointer()
{
	UINT_PTR sp;
#if defined(__i386__)
	__asm__ volatile("movl %%esp, %0" : "=r"(sp));
#else
	__asm__ volatile("movq %%rsp, %0" : "=r"(sp));
#endif
	return sp;
}

// A 32-bit host calls the exports through __stdcall pointers: a callee that left its arguments on
// the stack would move the caller's stack pointer by their size on every call.
// Kept last: it leaves the module's last page deleted.
TEST(PluginModule, ExportsKeepTheCallersStackBalanced)
{
	CExports exports;
	std::vector<CPropertyPage*> pages;
	UINT nVersions = 0;
	LRESULT nAnswers = 0;
	UINT_PTR spBefore = StackPointer();
	for (int i = 0; i < 1000; ++i)
	{
		nVersions += exports.pfnVersion();
		nAnswers += exports.pfnReceive(0x8001, (WPARAM)i, (LPARAM)i);
		if (i % 20 == 0)
			pages.push_back(exports.pfnPage(NULL));
	}
	UINT_PTR spAfter = StackPointer();
	EXPECT_EQ(spBefore, spAfter);
	EXPECT_EQ(261000u, nVersions);
	EXPECT_EQ(1000, nAnswers);
	for (CPropertyPage* pPage : pages)
		delete pPage;
}
