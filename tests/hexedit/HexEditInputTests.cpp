// The caret, keys in a dialog, the automatic-scroll timer and byte entry; the random test compares
// every move, click and scroll with a model.
#include "HexEditTest.h"

// 65,536 bytes at 16 a row, six full rows shown, the control focused.
class HexEditInputTest : public HexEditTest
{
protected:
	void SetUp() override { HexEditTest::SetUp(); Create(m_control, 800, 6 * m_cell.cy, 65536); m_control.SetFocus(); }
	void Keys(std::initializer_list<UINT> keys) { for (UINT nKey : keys) m_control.SendMessage(WM_KEYDOWN, nKey, 1); }

	void Mouse(UINT nMsg, CPoint pt, WPARAM wFlags = MK_LBUTTON) { m_control.SendMessage(nMsg, wFlags, MAKELPARAM(pt.x, pt.y)); }
};

// The caret covers the digit being edited, a cell wide and a row high less one pixel, while the
// control has the focus and the digit is in view. Beyond the text a timer really runs, and stops
// with the button. End moves 0x7FFFFFF bytes on, to a low digit; only data longer than that shows
// where it lands. A digit overwrites one half of the byte and keeps the other; each change
// notifies the parent.
TEST_F(HexEditInputTest, CaretCoversTheDigitAndAutomaticScrollingRunsAndKeysReachTheControlAndDigitsOverwrite)
{
	auto Caret = []() {
		GUITHREADINFO info = {};
		info.cbSize = sizeof(info);
		::GetGUIThreadInfo(::GetCurrentThreadId(), &info);
		return std::vector<LONG>({ (LONG)(info.hwndCaret != NULL), info.rcCaret.left, info.rcCaret.top, info.rcCaret.right, info.rcCaret.bottom });
	};
	Keys({ VK_DOWN, VK_RIGHT, VK_RIGHT, VK_RIGHT });
	const LONG x = 5 + (LONG)m_control.m_nHexLeft + 4 * m_cell.cx, y = 5 + m_cell.cy + 1;
	const std::vector<LONG> caret = { 1, x, y, x + m_cell.cx, y + m_cell.cy - 1 };
	EXPECT_EQ(caret, Caret());
	m_parent.SetFocus();
	EXPECT_EQ(0, Caret()[0]);
	m_control.SetFocus();
	EXPECT_EQ(caret, Caret());
	m_control.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
	EXPECT_EQ(0, Caret()[0]);
	Keys({ VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN });
	m_control.SendMessage(WM_VSCROLL, SB_LINEUP);  // the digit is just below the view
	EXPECT_EQ(std::make_pair(96u, 0L), std::make_pair(m_control.m_nEditPos, Caret()[0]));
	m_control.MoveWindow(0, 0, 810, 6 * m_cell.cy + 14);  // now 4 pixels of its row show: the caret is 3 high
	const LONG xRow = 5 + (LONG)m_control.m_nHexLeft, yPart = 5 + 6 * m_cell.cy + 1;
	EXPECT_EQ(std::vector<LONG>({ 1, xRow, yPart, xRow + m_cell.cx, yPart + 3 }), Caret());
	Keys({ VK_HOME });
	m_control.SetShowAddress(FALSE, FALSE);  // a setting moves the caret at once
	EXPECT_EQ(std::vector<LONG>({ 1, 5, 6, 5 + m_cell.cx, 5 + m_cell.cy }), Caret());
	// Scrolled sideways, the caret is cut 2 pixels left of the text, and gone once wholly beyond.
	m_control.MoveWindow(0, 0, 200, 6 * m_cell.cy + 14);
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 4));
	EXPECT_EQ(std::vector<LONG>({ 1, 3, 6, 1 + m_cell.cx, 5 + m_cell.cy }), Caret());
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 2 + m_cell.cx));
	EXPECT_EQ(0, Caret()[0]);
	Mouse(WM_LBUTTONDOWN, CPoint(20, 10));
	Mouse(WM_MOUSEMOVE, CPoint(20, m_control.m_rcText.bottom + 40));
	::Sleep(20);  // four of its intervals
	MSG msg = {};
	EXPECT_TRUE(::PeekMessage(&msg, m_control.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE) && msg.wParam == 1024);
	Mouse(WM_LBUTTONUP, CPoint(20, 10), 0);
	::Sleep(50);
	EXPECT_FALSE(::PeekMessage(&msg, m_control.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));
	m_control.SetData(std::vector<BYTE>(0x8000001).data(), 0x8000001, FALSE);
	Keys({ VK_END });
	EXPECT_EQ(State({ 0x7FFFFFF, 0, NONE, NONE }), m_control.State());
	Keys({ VK_END, VK_HOME });  // from the last byte, 0x8000000, Home moves exactly that far back
	EXPECT_EQ(State({ 0, 1, NONE, NONE }), m_control.State());
	m_control.SetData(std::vector<BYTE>(65536, 0x96).data(), 65536, FALSE);
	struct Step { WPARAM ch; LRESULT lResult; UINT nPos; BYTE b; } steps[] = {
		{ '4', 0, 0, 0x46 }, { '1', 0, 1, 0x41 }, { 'a', 0, 1, 0xA6 }, { 'F', 0, 2, 0xAF }, { 'g', 1, 2, 0x96 },
		{ ' ', 1, 2, 0x96 }, { 0x131, 1, 2, 0x96 }, { 0x10033, 0, 2, 0x36 }, { VK_BACK, 1, 2, 0x36 },
	};
	for (const Step& step : steps)
	{
		const UINT nEdit = m_control.m_nEditPos;
		EXPECT_EQ(step.lResult, m_control.SendMessage(WM_CHAR, step.ch)) << step.ch;
		EXPECT_EQ(std::make_pair(step.b, step.nPos), std::make_pair(m_control.m_pData[nEdit], m_control.m_nEditPos)) << step.ch;
	}
	EXPECT_EQ(decltype(m_parent.m_commands)(5, { MAKEWPARAM(1023, EN_CHANGE), (LPARAM)m_control.m_hWnd }), m_parent.m_commands);
	// At the last byte the low digit keeps being overwritten.
	Keys({ VK_END });
	m_control.SendMessage(WM_CHAR, '7');
	m_control.SendMessage(WM_CHAR, '8');
	EXPECT_EQ(std::make_pair((BYTE)0x98, State({ 65535, 0, NONE, NONE })), std::make_pair(m_control.m_pData[65535], m_control.State()));
	m_control.SetReadOnly(TRUE, FALSE);
	Keys({ VK_HOME });
	EXPECT_TRUE(m_control.SendMessage(WM_CHAR, '0') == 1 && m_control.m_pData[0] == 0x41);
	m_control.SetReadOnly(FALSE, FALSE);
	m_control.SetData(m_data.data(), 0, FALSE);  // a copy of no bytes takes no digit
	EXPECT_TRUE(m_control.SendMessage(WM_CHAR, '0') == 1 && m_parent.m_commands.size() == 7);
}
