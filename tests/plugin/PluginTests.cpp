// The module as a host sees it: exports, resources, module state and the module-wide values.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "res/resource.h"
#include <gtest/gtest.h>

static HMODULE LoadModule()
{
	HMODULE hModule = ::LoadLibraryA(ModulePath().c_str());
	EXPECT_NE((HMODULE)NULL, hModule);
	return hModule;
}

static std::string ModuleString(HMODULE hModule, UINT nID)
{
	char szText[512] = "";
	int nLen = ::LoadStringA(hModule, nID, szText, sizeof(szText));
	return std::string(szText, nLen > 0 ? nLen : 0);
}

// Kept first: no page exists yet in this process.
TEST(PluginModule, AnswersBeforeAnyPageExists)
{
	HMODULE hModule = LoadModule();
	auto pfnReceive = (PFN_RECEIVEMESSAGE)(void*)::GetProcAddress(hModule, "ReceiveMessage");
	auto pfnVersion = (PFN_GETCOMPILEVERSION)(void*)::GetProcAddress(hModule, "GetCompileVersion");
	ASSERT_NE(nullptr, pfnReceive);
	ASSERT_NE(nullptr, pfnVersion);
	EXPECT_EQ(261u, pfnVersion());
	for (UINT nMsg : { 0x0010u, 0x8000u, 0x8001u, (UINT)HM_STATUSCHANGED, 0x811Du, 0x811Eu })
		EXPECT_EQ(1, pfnReceive(nMsg, 0, 0));
	EXPECT_NE(nullptr, (void*)::GetProcAddress(hModule, "GetPropertyPage"));
}

TEST(PluginModule, ResourcesDescribeThePlugin)
{
	HMODULE hModule = LoadModule();
	EXPECT_EQ("Save games", ModuleString(hModule, 1));
	EXPECT_EQ("", ModuleString(hModule, 2));
	EXPECT_NE("", ModuleString(hModule, 3));
	EXPECT_EQ("basic_cellar", ModuleString(hModule, 4));
	EXPECT_NE("", ModuleString(hModule, 5));
	EXPECT_EQ(0u, ModuleString(hModule, 6).find("Basic save game tool\r\n"));
	EXPECT_LT(std::string("Basic save game tool\r\n").size(), ModuleString(hModule, 6).size());
	EXPECT_EQ("1.2", ModuleString(hModule, 7));

	HMENU hMenu = ::LoadMenu(hModule, MAKEINTRESOURCE(1005));
	ASSERT_NE((HMENU)NULL, hMenu);
	EXPECT_EQ(1, ::GetMenuItemCount(hMenu));
	EXPECT_EQ(65535u, ::GetMenuItemID(hMenu, 0));
	char szItem[32] = "";
	::GetMenuStringA(hMenu, 0, szItem, sizeof(szItem), MF_BYPOSITION);
	EXPECT_STREQ("Display", szItem);
	::DestroyMenu(hMenu);

	// Icon 143: one 32x32 image of 16 colours.
	HRSRC hGroup = ::FindResource(hModule, MAKEINTRESOURCE(143), RT_GROUP_ICON);
	ASSERT_NE((HRSRC)NULL, hGroup);
	const BYTE* pGroup = (const BYTE*)::LockResource(::LoadResource(hModule, hGroup));
	EXPECT_EQ(1, *(const WORD*)(pGroup + 4));
	EXPECT_EQ(32, pGroup[6]);
	EXPECT_EQ(32, pGroup[7]);
	EXPECT_EQ(16, pGroup[8]);

	char szPath[MAX_PATH];
	::GetModuleFileNameA(hModule, szPath, MAX_PATH);
	DWORD dwHandle = 0;
	std::vector<BYTE> info(::GetFileVersionInfoSizeA(szPath, &dwHandle));
	ASSERT_FALSE(info.empty());
	ASSERT_TRUE(::GetFileVersionInfoA(szPath, 0, (DWORD)info.size(), info.data()));
	VS_FIXEDFILEINFO* pFixed = NULL;
	UINT nLen = 0;
	ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", (void**)&pFixed, &nLen));
	EXPECT_EQ(MAKELONG(0, 1), pFixed->dwFileVersionMS);
	EXPECT_EQ(MAKELONG(1, 0), pFixed->dwFileVersionLS);
	EXPECT_EQ(MAKELONG(0, 1), pFixed->dwProductVersionMS);
	char* pszName = NULL;
	ASSERT_TRUE(::VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\InternalName", (void**)&pszName, &nLen));
	EXPECT_STREQ("Mendle", pszName);
}

// The host has a dialog 1000 and a string 1 of its own; the page still takes the module's.
TEST(PluginModule, PageTakesItsTemplateAndCaptionFromTheModule)
{
	CModalDriver modals;
	CPageHarness page;
	HWND hTab = (HWND)page.m_sheet.SendMessage(PSM_GETTABCONTROL);
	char szCaption[64] = "";
	TCITEMA item = {};
	item.mask = TCIF_TEXT;
	item.pszText = szCaption;
	item.cchTextMax = sizeof(szCaption);
	ASSERT_TRUE(::SendMessage(hTab, TCM_GETITEMA, 0, (LPARAM)&item));
	EXPECT_STREQ("Save games", szCaption);
	EXPECT_EQ(NULL, page.Item(1999));
	EXPECT_NE((HWND)NULL, page.Item(IDC_SNAPSHOT));

	// The page's handlers run with the module's state: its message boxes bear the module's name.
	page.m_cartridge.m_bPresent = FALSE;
	page.Click(IDC_FORMAT_SELECTED);
	ASSERT_EQ(1u, modals.m_records.size());
	EXPECT_EQ("Mendle", modals.m_records[0].strTitle);
}

TEST(PluginModule, SecondPageReplacesHostWindowAndPage)
{
	CModalDriver modals;
	CPageHarness first;
	CCartridgeSession secondSession;
	CRecordingHostWnd secondHost(secondSession);
	ASSERT_TRUE(secondHost.Create());
	CPropertyPage* pSecond = first.m_plugin.GetPropertyPage(&secondHost);
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
	EXPECT_EQ(261u, first.m_plugin.GetCompileVersion());

	sheet.DestroyWindow();
	delete pSecond;
	secondHost.DestroyWindow();
}

// Reads a DIALOGEX template: the header, then one item per control.
struct CDialogItem
{
	DWORD dwStyle;
	short x, y, cx, cy;
	int nID;
	std::string strClass;
	std::string strText;
};

static const WORD* SkipString(const WORD* p, std::string* pstrOut)
{
	if (*p == 0xFFFF)
	{
		if (pstrOut != NULL)
			*pstrOut = "#" + std::to_string(p[1]);
		return p + 2;
	}
	std::string str;
	for (; *p != 0; ++p)
		str += (char)*p;
	if (pstrOut != NULL)
		*pstrOut = str;
	return p + 1;
}

static std::vector<CDialogItem> ReadDialog(HMODULE hModule, UINT nID, DWORD& dwStyle, DWORD& dwExStyle,
	short& cx, short& cy, std::string& strFont, WORD& wPointSize)
{
	HRSRC hRes = ::FindResource(hModule, MAKEINTRESOURCE(nID), RT_DIALOG);
	const WORD* p = (const WORD*)::LockResource(::LoadResource(hModule, hRes));
	EXPECT_EQ(1, p[0]);
	EXPECT_EQ(0xFFFF, p[1]);
	dwExStyle = *(const DWORD*)(p + 4);
	dwStyle = *(const DWORD*)(p + 6);
	WORD nItems = p[8];
	cx = (short)p[11];
	cy = (short)p[12];
	p = SkipString(p + 13, NULL);          // menu
	p = SkipString(p, NULL);               // class
	p = SkipString(p, NULL);               // caption
	wPointSize = p[0];
	p = SkipString(p + 3, &strFont);
	std::vector<CDialogItem> items;
	for (WORD i = 0; i < nItems; ++i)
	{
		p = (const WORD*)(((UINT_PTR)p + 3) & ~(UINT_PTR)3);
		CDialogItem item;
		item.dwStyle = *(const DWORD*)(p + 4);
		item.x = (short)p[6];
		item.y = (short)p[7];
		item.cx = (short)p[8];
		item.cy = (short)p[9];
		item.nID = *(const int*)(p + 10);
		p = SkipString(p + 12, &item.strClass);
		// Predefined classes may be stored by ordinal or by name.
		static const char* const s_apszClasses[] = { "BUTTON", "EDIT", "STATIC" };
		if (item.strClass == "#128" || item.strClass == "#129" || item.strClass == "#130")
			item.strClass = s_apszClasses[std::stoi(item.strClass.substr(1)) - 128];
		for (char& ch : item.strClass)
			ch = (char)toupper((unsigned char)ch);
		p = SkipString(p, &item.strText);
		p += 1 + (*p + 1) / 2;               // creation data
		items.push_back(item);
	}
	return items;
}

TEST(PluginModule, DialogTemplateLaysOutThePage)
{
	DWORD dwStyle, dwExStyle;
	short cx, cy;
	std::string strFont;
	WORD wPointSize;
	std::vector<CDialogItem> items = ReadDialog(LoadModule(), IDD_MENDLE_PAGE, dwStyle, dwExStyle, cx, cy,
		strFont, wPointSize);
	EXPECT_EQ((DWORD)(WS_CHILD | DS_SETFONT), dwStyle);
	EXPECT_EQ((DWORD)WS_EX_CONTROLPARENT, dwExStyle);
	EXPECT_EQ(410, cx);
	EXPECT_EQ(193, cy);
	EXPECT_EQ("MS Sans Serif", strFont);
	EXPECT_EQ(8, wPointSize);

	const DWORD CV = WS_CHILD | WS_VISIBLE;
	const std::vector<CDialogItem> expected = {
		{ CV | BS_GROUPBOX, 5, 5, 400, 183, -1, "BUTTON", "Save game transfer" },
		{ CV | BS_AUTORADIOBUTTON, 14, 21, 47, 10, 1019, "BUTTON", "Position &1" },
		{ CV | BS_AUTORADIOBUTTON, 14, 36, 47, 10, 1020, "BUTTON", "Position &2" },
		{ CV | BS_AUTORADIOBUTTON, 14, 51, 47, 10, 1021, "BUTTON", "Position &3" },
		{ CV | BS_AUTORADIOBUTTON, 14, 66, 47, 10, 1022, "BUTTON", "Position &4" },
		{ 0x50810884, 14, 104, 383, 58, 1023, "EDIT", "" },
		{ CV | BS_PUSHBUTTON | WS_TABSTOP, 82, 21, 104, 26, 1002, "BUTTON", "&Read from flash cart to disk..." },
		{ CV | BS_PUSHBUTTON | WS_TABSTOP, 82, 50, 104, 26, 1003, "BUTTON", "&Write from disk to cartridge..." },
		{ CV | BS_AUTOCHECKBOX | WS_TABSTOP, 14, 87, 161, 10, 1000, "BUTTON",
		  "&Show snapshot of the save game on cartridge" },
		{ CV | SS_LEFT | WS_GROUP, 198, 21, 199, 35, -1, "STATIC", "Save positions 1-3 usually will be used by the "
		  "games 1-3 on the cartridge. Save position 4 will be used by games 4 and above. You may wish to put "
		  "the games onto the cartridge in the desired order." },
		{ CV | SS_ICON, 198, 68, 20, 20, 1024, "STATIC", "#143" },
		{ CV | SS_LEFT | WS_GROUP, 226, 63, 171, 32, 1025, "STATIC", "You don't need to use this plugin as the "
		  "cartridge you are accessing uses Trovesave. Please note that the saved games could be lost if you "
		  "take any action on this page." },
		{ CV | BS_PUSHBUTTON | WS_TABSTOP, 14, 167, 123, 14, 1001, "BUTTON", "Format &selected save position" },
		{ CV | BS_PUSHBUTTON | WS_TABSTOP, 147, 167, 103, 14, 1026, "BUTTON", "Format &all save positions..." },
	};
	ASSERT_EQ(expected.size(), items.size());
	for (size_t i = 0; i < items.size(); ++i)
	{
		SCOPED_TRACE(testing::Message() << "item " << i << " (" << expected[i].nID << ")");
		EXPECT_EQ(expected[i].nID, items[i].nID);
		EXPECT_EQ(expected[i].dwStyle, items[i].dwStyle);
		EXPECT_EQ(expected[i].strClass, items[i].strClass);
		EXPECT_EQ(expected[i].strText, items[i].strText);
		EXPECT_EQ(expected[i].x, items[i].x);
		EXPECT_EQ(expected[i].y, items[i].y);
		EXPECT_EQ(expected[i].cx, items[i].cx);
		EXPECT_EQ(expected[i].cy, items[i].cy);
	}
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
	HMODULE hModule = LoadModule();
	auto pfnPage = (PFN_GETPROPERTYPAGE)(void*)::GetProcAddress(hModule, "GetPropertyPage");
	auto pfnReceive = (PFN_RECEIVEMESSAGE)(void*)::GetProcAddress(hModule, "ReceiveMessage");
	auto pfnVersion = (PFN_GETCOMPILEVERSION)(void*)::GetProcAddress(hModule, "GetCompileVersion");
	ASSERT_TRUE(pfnPage != NULL && pfnReceive != NULL && pfnVersion != NULL);
	std::vector<CPropertyPage*> pages;
	UINT nVersions = 0;
	LRESULT nAnswers = 0;
	UINT_PTR spBefore = StackPointer();
	for (int i = 0; i < 1000; ++i)
	{
		nVersions += pfnVersion();
		nAnswers += pfnReceive(0x8001, (WPARAM)i, (LPARAM)i);
		if (i % 20 == 0)
			pages.push_back(pfnPage(NULL));
	}
	UINT_PTR spAfter = StackPointer();
	EXPECT_EQ(spBefore, spAfter);
	EXPECT_EQ(261000u, nVersions);
	EXPECT_EQ(1000, nAnswers);
	for (CPropertyPage* pPage : pages)
		delete pPage;
}
