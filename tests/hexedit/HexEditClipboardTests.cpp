// Copy, paste, select all, the shortcuts and the context menu.
#include "HexEditTest.h"
#include "RunProgram.h"
#include <afxres.h>

static std::string Counted(DWORD nCount, const std::string& strBytes)
{
	return std::string((const char*)&nCount, 4) + strBytes;
}

static HMENU WINAPI NoMenu() { return NULL; }

// 100 bytes 0x00, 0x01, ... at 16 a row.
class HexEditClipboardTest : public HexEditTest
{
protected:
	void SetUp() override { HexEditTest::SetUp(); Create(m_control, 800, 200, 100); }

	std::string Copy(UINT nStart, UINT nEnd)
	{
		m_control.SetSelection(nStart, nEnd, FALSE, FALSE);
		m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
		return ClipboardBlock(CF_TEXT).c_str();
	}
};

// The context menu, read as it shows, then closed (or its first item chosen) from a timer.
class CMenuProbe : public CHexEditProbe
{
public:
	std::string m_strItems;  // each item's ID and text, '+' after it when enabled
	inline static CPoint s_ptMenu;
	inline static bool s_bChooseFirst = false;
	void SetReadOnly(BOOL bReadOnly, BOOL bRedraw) override { CHexEditProbe::SetReadOnly(bReadOnly, bRedraw); }  // replaceable

protected:
	void OnExtendContextMenu(CMenu* pMenu) override
	{
		m_strItems.clear();
		for (int i = 0; i < (int)pMenu->GetMenuItemCount(); ++i)
		{
			char szText[32] = "";
			::GetMenuStringA(pMenu->m_hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
			m_strItems += std::to_string(pMenu->GetMenuItemID(i)) + szText + (pMenu->GetMenuState(i, MF_BYPOSITION) & MF_GRAYED ? " " : "+ ");
		}
		::SetTimer(NULL, 0, 50, CloseMenu);
	}

	static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR nIDEvent, DWORD)
	{
		::KillTimer(NULL, nIDEvent);
		HWND hMenu = ::FindWindow(_T("#32768"), NULL);
		CRect rc;
		::GetWindowRect(hMenu, &rc);
		s_ptMenu = rc.TopLeft();
		if (!s_bChooseFirst)
			::EndMenu();
		::PostMessage(hMenu, WM_KEYDOWN, VK_DOWN, 0);
		::PostMessage(hMenu, WM_KEYDOWN, VK_RETURN, 0);
	}
};

// What a copy puts on the clipboard must outlive the program that copied it, so this test runs
// itself again in a process of its own, which copies and ends, and reads what that one left.
TEST_F(HexEditClipboardTest, CopiedTextCopiesReachOtherProgramsShortcutsPasteAndContextMenuActAsDocumented)
{
	if (::GetEnvironmentVariableA("MENDLE_COPY_AND_END", NULL, 0) != 0)
	{
		m_control.SetData((const BYTE*)"\0\x41\xFF\0", 4, FALSE);
		EXPECT_EQ("00 41 FF 00\n", Copy(0, 3));
		return;
	}
	const std::string strRow1 = "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F";
	struct Copied { UINT nStart, nEnd; std::string strText; } copies[] = {
		{ 3, 10, "03 04 05 06 07 08 09 0A\n" }, { 9, 3, "03 04 05 06 07 08 09 0A\n" }, { 16, 31, strRow1 + "\n" },  // 9..3: nothing copied
		{ 14, 30, "0E 0F " + strRow1.substr(0, 41) + "\n1E\n" },
		{ 14, 33, std::string(42, ' ') + "0E 0F\n" + strRow1 + "\n20 21\n" },
		{ 5, 22, std::string(15, ' ') + "05 06 07 08 09 0A 0B 0C 0D 0E 0F\n" + strRow1.substr(0, 20) + "\n" },
	};
	for (const Copied& c : copies)
		EXPECT_EQ(c.strText, Copy(c.nStart, c.nEnd)) << c.nStart << ".." << c.nEnd;
	EXPECT_EQ(std::make_pair(State({ 0, 1, 5, 22 }), true), std::make_pair(m_control.State(), m_parent.m_commands.empty()));
	PutBlock(CF_TEXT, std::string("before", 7));
	EXPECT_EQ("before", Copy(NONE, NONE));
	::SetEnvironmentVariableA("MENDLE_COPY_AND_END", "1");
	std::string strOut;
	const int nExit = RunProgram("\"" + BesideThisProgram("hexedit_tests.exe") + "\" --gtest_filter=*CopiesReach*", &strOut);
	::SetEnvironmentVariableA("MENDLE_COPY_AND_END", NULL);
	EXPECT_EQ(std::make_tuple(0, Counted(4, std::string("\0\x41\xFF\0", 4)), std::string("00 41 FF 00\n", 13)),
		std::make_tuple(nExit, ClipboardBlock(kBinaryData), ClipboardBlock(CF_TEXT))) << strOut;
	m_control.SendMessage(WM_KEYDOWN, VK_DOWN, 1);
	m_control.MoveWindow(0, 0, 200, 3 * m_cell.cy + 10 + ::GetSystemMetrics(SM_CYHSCROLL));  // three rows, scrolled
	m_control.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100));
	SetKeyDown(VK_CONTROL, true);
	auto Key = [this](WPARAM wKey) {
		MSG msg = { m_control.m_hWnd, WM_KEYDOWN, wKey, 0, 0, {} };
		return CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg) != FALSE;
	};
	EXPECT_TRUE(Key('A'));  // neither scrolls nor notifies
	EXPECT_EQ(std::make_tuple(State({ 16, 1, 0, 99 }), 3u, 100u, true),
		std::make_tuple(m_control.State(), m_control.m_nTopRow, m_control.m_nHScrollPos, m_parent.m_commands.empty()));
	m_control.SetReadOnly(TRUE, FALSE);  // copies all the same, and takes no paste
	EXPECT_TRUE(Key('C') && Key('V'));
	m_control.SetReadOnly(FALSE, FALSE);
	EXPECT_TRUE(Key('V'));  // the copy pasted back where it came from still notifies
	EXPECT_EQ(std::make_tuple(104u, m_data, (size_t)1), std::make_tuple(ClipboardBlock(kBinaryData).size(), m_control.Bytes(), m_parent.m_commands.size()));
	m_control.SetSelection(90, 90, FALSE, FALSE);
	EXPECT_TRUE(Key('V'));  // and scrolls the pasted bytes into view
	EXPECT_EQ(std::make_pair((BYTE)0, 4u), std::make_pair(m_control.m_pData[90], m_control.m_nTopRow));
	EXPECT_FALSE(Key('B'));
	SetKeyDown(VK_CONTROL, false);
	EXPECT_FALSE(Key('A'));
	m_control.SendMessage(WM_COMMAND, 0xE12A);  // select all by its number
	EXPECT_EQ(State({ 99, 0, 0, 99 }), m_control.State());
	m_control.SetData(NULL, 0, FALSE);
	m_control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
	EXPECT_FALSE(m_control.HasSelection());
	for (UINT nMsg : { WM_LBUTTONDOWN, WM_LBUTTONDBLCLK })  // without data too, they take the focus
	{
		m_parent.SetFocus();
		m_control.SendMessage(nMsg, MK_LBUTTON, 0);
		EXPECT_EQ(m_control.m_hWnd, ::GetFocus()) << nMsg;
	}
	const std::string strE(10, '\xEE');
	struct Case { UINT nSelStart, nSelEnd, nEdit; UINT nFormat; std::string strBlock; UINT nFirst, nPasted; } cases[] = {
		{ NONE, NONE, 40, kBinaryData, Counted(10, strE), 40, 10 }, { NONE, NONE, 96, kBinaryData, Counted(10, strE), 96, 4 },
		{ 20, 21, 0, kBinaryData, Counted(8, strE.substr(2)), 20, 8 }, { 20, 60, 0, kBinaryData, Counted(8, strE), 20, 8 },
		{ NONE, NONE, 50, kBinaryData, Counted(1000, strE.substr(4)), 50, 6 }, { NONE, NONE, 50, kBinaryData, Counted(0xFFFFFFF0, strE.substr(4)), 50, 6 },
		{ NONE, NONE, 7, kBinaryData, Counted(0, strE), 7, 0 }, { NONE, NONE, 7, kBinaryData, "\xEE\xEE\xEE", 7, 0 },
		{ NONE, NONE, 7, CF_TEXT, Counted(4, strE), 7, 0 },
	};
	for (const Case& c : cases)
	{
		m_control.SetData(m_data.data(), 100, FALSE);
		m_control.SetSelection(c.nSelStart, c.nSelEnd, FALSE, FALSE);
		m_control.m_nEditPos = c.nEdit;
		m_parent.m_commands.clear();
		PutBlock(c.nFormat, c.strBlock);
		m_control.SendMessage(WM_COMMAND, ID_EDIT_PASTE);
		std::vector<BYTE> expected = m_data;
		std::fill(expected.begin() + c.nFirst, expected.begin() + c.nFirst + c.nPasted, 0xEE);
		const UINT nLast = c.nFirst + c.nPasted - 1;
		EXPECT_EQ(std::make_tuple(expected, c.nPasted ? State({ nLast, 0, c.nFirst, nLast }) : State({ c.nEdit, 1, c.nSelStart, c.nSelEnd }),
			c.nPasted ? 1u : 0u), std::make_tuple(m_control.Bytes(), m_control.State(), m_parent.m_commands.size())) << &c - cases;
	}
	CMenuProbe control;
	Create(control, 600, 200, 100);
	::SetWindowPos(control.m_hWnd, NULL, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
	CPoint ptCorner(5, 5);
	control.ClientToScreen(&ptCorner);
	control.SetSelection(20, 30, FALSE, FALSE);
	control.m_nEditPos = 25;
	struct Menu { UINT nFormat; BOOL bReadOnly; UINT nByte; std::string strItems; State state; bool bCopy; } menus[] = {
		{ CF_TEXT, FALSE, 30, "57634Copy+ 57637Paste ", { 25, 0, 20, 30 }, false }, { kBinaryData, FALSE, NONE, "57634Copy+ 57637Paste+ ", { 25, 0, 20, 30 }, false },
		{ kBinaryData, TRUE, 20, "57634Copy+ 57637Paste ", { 25, 0, 20, 30 }, true },  // Copy chosen: it copies read-only too
		{ kBinaryData, TRUE, 60, "none", { 60, 1, NONE, NONE }, false },  // no popup menu can be made
		{ kBinaryData, TRUE, 50, "57634Copy 57637Paste ", { 50, 1, NONE, NONE }, false },
	};
	for (const Menu& c : menus)
	{
		PutBlock(c.nFormat, Counted(2, "\x01\x02"));
		control.SetReadOnly(c.bReadOnly, FALSE);
		control.m_bHighNibble = false;
		const UINT nByte = c.nByte != NONE ? c.nByte : 0;  // NONE opens the menu from the keyboard
		CPoint pt(5 + (int)control.m_nHexLeft + (3 * (int)(nByte % 16) + 1) * m_cell.cx, 5 + (int)(nByte / 16) * m_cell.cy + 2);
		control.ClientToScreen(&pt);
		CMenuProbe::s_ptMenu = pt = c.nByte == NONE ? CPoint(-1, -1) : pt;  // stays where no menu shows
		CMenuProbe::s_bChooseFirst = c.bCopy;
		CImportPatch noMenu(NULL, "user32.dll", "CreatePopupMenu", c.strItems == "none" ? (FARPROC)NoMenu : (FARPROC)::CreatePopupMenu);
		control.SendMessage(WM_CONTEXTMENU, (WPARAM)control.m_hWnd, MAKELPARAM(pt.x, pt.y));
		PumpMessages();
		const std::string strBinary = c.bCopy ? Counted(11, std::string(m_data.begin() + 20, m_data.begin() + 31)) : c.nFormat == kBinaryData ? Counted(2, "\x01\x02") : "";
		EXPECT_EQ(std::make_tuple(c.nByte == NONE ? ptCorner : pt, c.strItems, c.state, CBytes(strBinary)),
			std::make_tuple(CMenuProbe::s_ptMenu, control.m_strItems, control.State(), ClipboardBlock(kBinaryData)));
		const std::vector<DWORD> shown = Screen(control);
		control.InvalidateRect(NULL, FALSE);
		EXPECT_TRUE(shown == Screen(control)) << c.nByte;
		control.m_strItems = "none";  // until a menu shows
	}
	control.SetData(NULL, 0, FALSE);  // on no data the menu still shows, and nothing moves
	control.SendMessage(WM_CONTEXTMENU, (WPARAM)control.m_hWnd, MAKELPARAM(ptCorner.x, ptCorner.y));
	EXPECT_EQ(std::make_pair(std::string("57634Copy 57637Paste "), State({ 0, 1, NONE, NONE })), std::make_pair(control.m_strItems, control.State()));
}
