// Copy, paste, select all, the context menu and the view that fills a window with the control.
#include "HexEditTest.h"
#include "RunProgram.h"
#include "KeyState.h"
#include "hexedit/HexEditBaseView.h"
#include <afxres.h>
#include <cstring>

static const UINT kBinaryData = ::RegisterClipboardFormat(_T("BinaryData"));

static std::string Counted(DWORD nCount, const std::string& strBytes)
{
	return std::string((const char*)&nCount, 4) + strBytes;
}

static std::string RunHelper(const char* pszName)
{
	std::string strOut;
	EXPECT_EQ(0, RunProgram("\"" + ProgramBesideThisOne(pszName) + "\"", &strOut));
	return strOut;
}

// 100 bytes 0x00, 0x01, ... at 16 a row.
class HexEditClipboardTest : public HexEditTest
{
protected:
	void SetUp() override
	{
		HexEditTest::SetUp();
		Create(m_control, 800, 200, 100);
	}

	std::string CopyText(UINT nStart, UINT nEnd)
	{
		m_control.SetSelection(nStart, nEnd, FALSE, FALSE);
		m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
		return ClipboardBlock(CF_TEXT).c_str();
	}

	static std::string Pairs(UINT nFirst, UINT nLast)
	{
		std::string str;
		char sz[4];
		for (UINT i = nFirst; i <= nLast; ++i)
		{
			std::snprintf(sz, sizeof(sz), "%02X", i);
			str += (i == nFirst ? "" : " ") + std::string(sz);
		}
		return str;
	}

	CHexEditProbe m_control;
};

// Lines break where the rows do; a selection of more than a row keeps its first line's column.
TEST_F(HexEditClipboardTest, CopiedTextBreaksWhereTheRowsBreak)
{
	struct Case { UINT nStart, nEnd; std::string strText; } cases[] = {
		{ 3, 10, "03 04 05 06 07 08 09 0A\n" },
		{ 16, 31, Pairs(16, 31) + "\n" },
		{ 14, 30, Pairs(14, 29) + "\n" + Pairs(30, 30) + "\n" },
		{ 14, 33, std::string(42, ' ') + Pairs(14, 15) + "\n" + Pairs(16, 31) + "\n" + Pairs(32, 33) + "\n" },
		{ 5, 22, std::string(15, ' ') + Pairs(5, 15) + "\n" + Pairs(16, 22) + "\n" },
	};
	for (const Case& c : cases)
		EXPECT_EQ(c.strText, CopyText(c.nStart, c.nEnd)) << c.nStart << ".." << c.nEnd;
	EXPECT_EQ(std::vector<UINT>({ 5, 22, 0 }),
		std::vector<UINT>({ m_control.m_nSelStart, m_control.m_nSelEnd, m_control.m_nEditPos }));
	EXPECT_TRUE(m_parent.m_commands.empty());

	// Without a selection nothing is copied.
	PutBlock(CF_TEXT, std::string("before", 7));
	m_control.SetSelection(NONE, NONE, FALSE, FALSE);
	m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	EXPECT_EQ(std::string("before", 7), ClipboardBlock(CF_TEXT));
}

// Both formats reach another process, zero bytes included, also once the copying program has ended.
TEST_F(HexEditClipboardTest, CopiesReachOtherPrograms)
{
	m_data.assign(4, 0);
	m_data[1] = 0x0A;
	m_control.SetData(m_data.data(), 4, FALSE);
	m_control.SetSelection(0, 2, FALSE, FALSE);
	m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	::OleFlushClipboard();
	EXPECT_EQ("binary 03 00 00 00 00 0A 00\r\ntext 30 30 20 30 41 20 30 30 0A 00\r\n", RunHelper("clipboard_reader.exe"));
	EXPECT_EQ("", RunHelper("clipboard_writer.exe"));
	EXPECT_EQ("binary 04 00 00 00 00 41 FF 00\r\ntext 30 30 20 34 31 20 46 46 20 30 30 0A 00\r\n",
		RunHelper("clipboard_reader.exe"));
}

// Pasting overwrites from the selection's start or the edit position, never past either end.
TEST_F(HexEditClipboardTest, PasteOverwritesWhatTheBlockHolds)
{
	struct Case { const char* pszName; UINT nSelStart, nSelEnd, nEdit; std::string strBlock; UINT nFirst, nPasted; } cases[] = {
		{ "at the caret", NONE, NONE, 40, Counted(10, std::string(10, '\xEE')), 40, 10 },
		{ "past the end", NONE, NONE, 96, Counted(10, std::string(10, '\xEE')), 96, 4 },
		{ "shorter selection", 20, 21, 0, Counted(8, std::string(8, '\xEE')), 20, 8 },
		{ "longer selection", 20, 60, 0, Counted(8, std::string(8, '\xEE')), 20, 8 },
		{ "count beyond the block", NONE, NONE, 50, Counted(1000, std::string(6, '\xEE')), 50, 6 },
		{ "count that overflows", NONE, NONE, 50, Counted(0xFFFFFFF0, std::string(6, '\xEE')), 50, 6 },
		{ "count of 0", NONE, NONE, 7, Counted(0, std::string(4, '\xEE')), 7, 0 },
		{ "shorter than a count", NONE, NONE, 7, std::string(3, '\xEE'), 7, 0 },
	};
	m_control.SetFocus();
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.pszName);
		m_control.SetData(m_data.data(), 100, FALSE);
		m_control.SetSelection(c.nSelStart, c.nSelEnd, FALSE, FALSE);
		m_control.m_nEditPos = c.nEdit;
		m_parent.m_commands.clear();
		PutBlock(kBinaryData, c.strBlock);
		m_control.SendMessage(WM_COMMAND, ID_EDIT_PASTE);
		std::vector<BYTE> expected = m_data;
		std::fill(expected.begin() + c.nFirst, expected.begin() + c.nFirst + c.nPasted, 0xEE);
		EXPECT_EQ(expected, std::vector<BYTE>(m_control.m_pData, m_control.m_pData + m_control.m_nLength));
		const UINT nLast = c.nFirst + c.nPasted - 1;
		EXPECT_EQ(c.nPasted ? std::vector<UINT>({ c.nFirst, nLast, nLast, 0 }) : std::vector<UINT>({ c.nSelStart, c.nSelEnd, c.nEdit, 1 }),
			std::vector<UINT>({ m_control.m_nSelStart, m_control.m_nSelEnd, m_control.m_nEditPos, (UINT)m_control.m_bHighNibble }));
		EXPECT_EQ(c.nPasted ? 1u : 0u, m_parent.m_commands.size());
	}

	// Text alone and a read-only control take nothing.
	for (bool bReadOnly : { false, true })
	{
		m_control.SetData(m_data.data(), 100, FALSE);
		m_control.SetReadOnly(bReadOnly, FALSE);
		PutBlock(bReadOnly ? kBinaryData : CF_TEXT, Counted(4, "\x01\x02\x03\x04"));
		m_control.SendMessage(WM_COMMAND, ID_EDIT_PASTE);
		EXPECT_EQ(m_data, std::vector<BYTE>(m_control.m_pData, m_control.m_pData + 100)) << bReadOnly;
	}
	EXPECT_TRUE(m_parent.m_commands.empty());
}

// Ctrl+A, Ctrl+C and Ctrl+V act before a dialog would see the keys; select all keeps the caret.
TEST_F(HexEditClipboardTest, ShortcutsSelectCopyAndPaste)
{
	m_control.SendMessage(WM_KEYDOWN, VK_DOWN, 1);
	SetKeyDown(VK_CONTROL, true);
	MSG msg = { m_control.m_hWnd, WM_KEYDOWN, 'A', 0, 0, {} };
	EXPECT_TRUE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	EXPECT_EQ(std::vector<UINT>({ 0, 99, 16 }),
		std::vector<UINT>({ m_control.m_nSelStart, m_control.m_nSelEnd, m_control.m_nEditPos }));
	msg.wParam = 'C';
	EXPECT_TRUE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	EXPECT_EQ(104u, ClipboardBlock(kBinaryData).size());
	m_control.SetSelection(90, 90, FALSE, FALSE);
	msg.wParam = 'V';
	EXPECT_TRUE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	EXPECT_EQ(0, m_control.m_pData[90]);
	msg.wParam = 'B';
	EXPECT_FALSE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	SetKeyDown(VK_CONTROL, false);
	msg.wParam = 'A';
	EXPECT_FALSE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	m_control.SetData(NULL, 0, FALSE);
	m_control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
	EXPECT_FALSE(m_control.HasSelection());
}

// The context menu, read just before it shows, then closed (or its first item chosen) from a timer.
class CMenuProbe : public CHexEditProbe
{
public:
	std::vector<std::string> m_items;  // text, then "+" when enabled
	static CRect s_rcMenu;
	static bool s_bChooseFirst;

protected:
	void OnExtendContextMenu(CMenu* pMenu) override
	{
		m_items.clear();
		for (UINT i = 0; i < pMenu->GetMenuItemCount(); ++i)
		{
			char szText[32] = "";
			::GetMenuStringA(pMenu->m_hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
			bool bEnabled = (pMenu->GetMenuState(i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0;
			m_items.push_back(std::to_string(pMenu->GetMenuItemID(i)) + szText + (bEnabled ? "+" : ""));
		}
		::SetTimer(NULL, 0, 50, CloseMenu);
	}

	static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR nIDEvent, DWORD)
	{
		::KillTimer(NULL, nIDEvent);
		HWND hMenu = ::FindWindow(_T("#32768"), NULL);
		if (hMenu != NULL)
			::GetWindowRect(hMenu, &s_rcMenu);
		if (s_bChooseFirst && hMenu != NULL)
		{
			::PostMessage(hMenu, WM_KEYDOWN, VK_DOWN, 0);
			::PostMessage(hMenu, WM_KEYDOWN, VK_RETURN, 0);
		}
		else
			::EndMenu();
	}
};

CRect CMenuProbe::s_rcMenu;
bool CMenuProbe::s_bChooseFirst = false;

TEST_F(HexEditClipboardTest, ContextMenuOffersCopyAndPasteByState)
{
	CMenuProbe control;
	Create(control, 600, 200, 100);
	::SetWindowPos(control.m_hWnd, NULL, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
	auto ScreenPointOf = [&](UINT nByte) {
		CPoint pt(5 + (int)control.m_nHexLeft + 3 * (int)(nByte % 16) * m_cell.cx, 5 + (int)(nByte / 16) * m_cell.cy + 2);
		control.ClientToScreen(&pt);
		return pt;
	};
	auto Menu = [&](CPoint pt) { control.SendMessage(WM_CONTEXTMENU, (WPARAM)control.m_hWnd, MAKELPARAM(pt.x, pt.y)); };

	// Inside the selection: kept; text on the clipboard does not enable Paste.
	PutBlock(CF_TEXT, Counted(2, "\x01\x02"));
	control.SetSelection(20, 30, FALSE, FALSE);
	control.m_nEditPos = 25;
	Menu(ScreenPointOf(30));
	EXPECT_EQ(std::vector<std::string>({ "57634Copy+", "57637Paste" }), control.m_items);
	EXPECT_EQ(ScreenPointOf(30), CMenuProbe::s_rcMenu.TopLeft());
	EXPECT_EQ(std::vector<UINT>({ 20, 25 }), std::vector<UINT>({ control.m_nSelStart, control.m_nEditPos }));

	// Outside it: the selection goes and the caret moves to the byte's high digit.
	PutBlock(kBinaryData, Counted(2, "\x01\x02"));
	control.m_bHighNibble = false;
	Menu(ScreenPointOf(50));
	EXPECT_EQ(std::vector<std::string>({ "57634Copy", "57637Paste+" }), control.m_items);
	EXPECT_EQ(std::vector<UINT>({ NONE, 50, 1 }), std::vector<UINT>({ control.m_nSelStart, control.m_nEditPos, (UINT)control.m_bHighNibble }));

	// From the keyboard: beside the corner; read-only takes Paste away.
	control.SetReadOnly(TRUE, FALSE);
	Menu(CPoint(-1, -1));
	EXPECT_EQ(std::vector<std::string>({ "57634Copy", "57637Paste" }), control.m_items);
	CPoint ptCorner(5, 5);
	control.ClientToScreen(&ptCorner);
	EXPECT_EQ(ptCorner, CMenuProbe::s_rcMenu.TopLeft());

	// Choosing Copy copies the selection.
	control.SetSelection(1, 2, FALSE, FALSE);
	CMenuProbe::s_bChooseFirst = true;
	Menu(CPoint(-1, -1));
	CMenuProbe::s_bChooseFirst = false;
	Pump();
	EXPECT_EQ(Counted(2, "\x01\x02"), ClipboardBlock(kBinaryData));
}

TEST_F(HexEditClipboardTest, ViewFillsItsWindowWithTheControlAndDeletesItself)
{
	auto pView = DYNAMIC_DOWNCAST(CHexEditBaseView, RUNTIME_CLASS(CHexEditBaseView)->CreateObject());
	ASSERT_NE(nullptr, pView);
	ASSERT_TRUE(pView->Create(NULL, NULL, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &m_parent, AFX_IDW_PANE_FIRST));
	HWND hChild = ::GetWindow(pView->m_hWnd, GW_CHILD);
	ASSERT_EQ(pView->m_wndHexEdit.m_hWnd, hChild);
	EXPECT_EQ(256, ::GetDlgCtrlID(hChild));
	EXPECT_EQ(0x50000004u, (DWORD)::GetWindowLong(hChild, GWL_STYLE) & ~(WS_VSCROLL | WS_HSCROLL));
	pView->MoveWindow(0, 0, 640, 480);
	CRect rcChild;
	::GetWindowRect(hChild, &rcChild);
	::MapWindowPoints(NULL, pView->m_hWnd, (LPPOINT)&rcChild, 2);
	EXPECT_EQ(CRect(0, 0, 640, 480), rcChild);
	HWND hView = pView->m_hWnd;
	::DestroyWindow(hView);
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hView));
	EXPECT_FALSE(::IsWindow(hChild));

	// Without its window class the control cannot be made, nor the view.
	pView = DYNAMIC_DOWNCAST(CHexEditBaseView, RUNTIME_CLASS(CHexEditBaseView)->CreateObject());
	m_control.DestroyWindow();
	ASSERT_TRUE(::UnregisterClass(_T("CHexEditBase"), AfxGetInstanceHandle()));
	EXPECT_FALSE(pView->Create(NULL, NULL, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &m_parent, AFX_IDW_PANE_FIRST));
	EXPECT_EQ(NULL, ::GetWindow(m_parent.m_hWnd, GW_CHILD));
	CHexEditBase::RegisterWindowClasses();
}
