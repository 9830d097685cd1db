// The caret, hit tests, keys, the mouse, automatic scrolling, scrolling and byte entry.
#include "HexEditTest.h"

// 65,536 bytes at 16 a row, six full rows shown, the control focused.
class HexEditInputTest : public HexEditTest
{
protected:
	void SetUp() override { HexEditTest::SetUp(); Create(m_control, 800, 6 * m_cell.cy, 65536); m_control.SetFocus(); }
	void TearDown() override { SetKeyDown(VK_SHIFT, false); HexEditTest::TearDown(); }
	void Keys(std::initializer_list<UINT> keys) { for (UINT nKey : keys) m_control.SendMessage(WM_KEYDOWN, nKey, 1); }

	void Mouse(UINT nMsg, CPoint pt, WPARAM wFlags = MK_LBUTTON) { m_control.SendMessage(nMsg, wFlags, MAKELPARAM(pt.x, pt.y)); }

	// The client point nOffset pixels into the given cell (0 to 2) of a byte in view.
	CPoint PointOf(UINT nByte, int nCell, int nOffset = 0)
	{
		return CPoint(5 + (int)m_control.m_nHexLeft + (3 * (int)(nByte % 16) + nCell) * m_cell.cx + nOffset - (int)m_control.m_nHScrollPos,
			5 + (int)(nByte / 16 - m_control.m_nTopRow) * m_cell.cy + m_cell.cy / 2);
	}
};

// A point in the right half of a cell counts as the next cell; the address column means the row's
// first byte, the ASCII column its last; below short data, the last byte.
TEST_F(HexEditInputTest, HitTestsMapPointsToHalfBytes)
{
	const int nHalf = m_cell.cx - m_cell.cx / 2;
	struct Case { CPoint pt; UINT nPos; BOOL bHigh; } cases[] = {
		{ PointOf(0, 0, nHalf - 1), 0, TRUE }, { PointOf(0, 0, nHalf), 0, FALSE }, { PointOf(0, 2, nHalf - 1), 0, FALSE },
		{ PointOf(0, 2, nHalf), 1, TRUE }, { PointOf(17, 1), 17, FALSE }, { CPoint(6, PointOf(32, 0).y), 32, TRUE },
		{ CPoint(5 + (int)m_control.m_nAsciiLeft + 3, PointOf(32, 0).y), 47, FALSE },
	};
	for (const Case& c : cases)
	{
		UINT nPos;
		BOOL bHigh;
		m_control.PositionFromPoint(c.pt, &nPos, &bHigh);
		EXPECT_EQ(std::make_pair(c.nPos, c.bHigh), std::make_pair(nPos, bHigh)) << c.pt.x << "," << c.pt.y;
	}
	m_control.MoveWindow(0, 0, 200, 6 * m_cell.cy + 10);
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 3 * m_cell.cx));
	Mouse(WM_LBUTTONDOWN, PointOf(2, 0, nHalf - 1));
	EXPECT_EQ(State({ 2, 1, NONE, NONE }), m_control.State());
	m_control.SetData(m_data.data(), 20, FALSE);
	Mouse(WM_LBUTTONDOWN, CPoint(20, 5 + 5 * m_cell.cy));
	EXPECT_EQ(State({ 19, 0, NONE, NONE }), m_control.State());
}

// The caret covers the digit being edited, a cell wide and a row high less one pixel, while the
// control has the focus and the digit is in view.
TEST_F(HexEditInputTest, CaretCoversTheDigitWhileFocused)
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
}

// Keys move the edit position and stop at the ends; with Shift they span the selection from the
// anchor, digits typed with it included. A drag selects once the pointer leaves the drag
// threshold, a double click selects one byte. Each step: an input and the state it leaves.
TEST_F(HexEditInputTest, KeysAndTheMouseMoveAndSelect)
{
	const UINT nPage = 16 * (m_control.m_nVisibleRows - 1), SHIFT = WM_APP;  // SHIFT: held down while wParam is 1
	const WPARAM L = MK_LBUTTON;
	struct Step { UINT nMsg; WPARAM wParam; CPoint pt; State state; } steps[] = {
		{ WM_KEYDOWN, VK_END, {}, { 65535, 0, NONE, NONE } }, { WM_KEYDOWN, VK_RIGHT, {}, { 65535, 0, NONE, NONE } },
		{ WM_KEYDOWN, VK_HOME, {}, { 0, 1, NONE, NONE } }, { WM_KEYDOWN, VK_LEFT, {}, { 0, 1, NONE, NONE } },
		{ WM_KEYDOWN, VK_RIGHT, {}, { 0, 0, NONE, NONE } }, { WM_KEYDOWN, VK_RIGHT, {}, { 1, 1, NONE, NONE } },
		{ WM_KEYDOWN, VK_LEFT, {}, { 0, 0, NONE, NONE } }, { WM_KEYDOWN, VK_LEFT, {}, { 0, 1, NONE, NONE } },
		{ WM_KEYDOWN, VK_DOWN, {}, { 16, 1, NONE, NONE } }, { WM_KEYDOWN, VK_NEXT, {}, { 16 + nPage, 1, NONE, NONE } },
		{ WM_KEYDOWN, VK_PRIOR, {}, { 16, 1, NONE, NONE } }, { WM_KEYDOWN, VK_UP, {}, { 0, 1, NONE, NONE } },
		{ WM_KEYDOWN, VK_UP, {}, { 0, 1, NONE, NONE } }, { WM_KEYDOWN, VK_TAB, {}, { 0, 1, NONE, NONE } },
		{ WM_KEYDOWN, VK_DOWN, {}, { 16, 1, NONE, NONE } }, { SHIFT, 1, {}, { 16, 1, NONE, NONE } },
		{ WM_KEYDOWN, VK_RIGHT, {}, { 16, 0, 16, 16 } }, { WM_KEYDOWN, VK_RIGHT, {}, { 17, 1, 16, 17 } },
		{ WM_KEYDOWN, VK_UP, {}, { 1, 1, 1, 16 } }, { WM_CHAR, 'F', {}, { 1, 0, 1, 16 } }, { WM_CHAR, 'F', {}, { 2, 1, 2, 16 } },
		{ SHIFT, 0, {}, { 2, 1, 2, 16 } }, { WM_KEYDOWN, VK_RIGHT, {}, { 2, 0, NONE, NONE } }, { SHIFT, 1, {}, { 2, 0, NONE, NONE } },
		{ WM_KEYDOWN, VK_RIGHT, {}, { 3, 1, 2, 3 } }, { SHIFT, 0, {}, { 3, 1, 2, 3 } },
		{ WM_LBUTTONDOWN, L, PointOf(3, 0), { 3, 1, NONE, 3 } },  // the end stays; without a start it is no selection
		{ WM_MOUSEMOVE, L, PointOf(3, 0, ::GetSystemMetrics(SM_CXDRAG) / 2 - 1), { 3, 1, NONE, 3 } },
		{ WM_MOUSEMOVE, L, PointOf(20, 1), { 20, 0, 3, 20 } }, { WM_MOUSEMOVE, L, PointOf(1, 0), { 1, 1, 1, 3 } },
		{ WM_MOUSEMOVE, 0, PointOf(40, 0), { 1, 1, 1, 3 } }, { WM_LBUTTONUP, 0, PointOf(40, 0), { 1, 1, 1, 3 } },
		{ WM_LBUTTONDBLCLK, L, PointOf(40, 1), { 40, 0, 40, 40 } },
	};
	bool bCaptured = false;  // from a button going down until it comes up
	for (const Step& step : steps)
	{
		bCaptured = step.nMsg == WM_LBUTTONDOWN || (bCaptured && step.nMsg != WM_LBUTTONUP);
		if (step.nMsg == SHIFT)
			SetKeyDown(VK_SHIFT, step.wParam != 0);
		else
			m_control.SendMessage(step.nMsg, step.wParam, step.nMsg == WM_KEYDOWN ? 1 : MAKELPARAM(step.pt.x, step.pt.y));
		EXPECT_EQ(step.state, m_control.State()) << "step " << &step - steps;
		EXPECT_EQ(bCaptured ? m_control.m_hWnd : NULL, ::GetCapture()) << "step " << &step - steps;
		m_control.SetFocus();
	}
	EXPECT_EQ((LRESULT)DLGC_WANTALLKEYS, m_control.SendMessage(WM_GETDLGCODE));
	Keys({ VK_END });
	EXPECT_EQ(m_control.m_nMaxTopRow, m_control.m_nTopRow);
	// Down past the full rows scrolls; the partial row below them counts as shown.
	Keys({ VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN });
	EXPECT_EQ(10u - m_control.m_nFullRows, m_control.m_nTopRow);
	// End moves 0x7FFFFFF bytes on, to a low digit; only data longer than that shows where it lands.
	m_control.SetData(std::vector<BYTE>(0x8000001).data(), 0x8000001, FALSE);
	Keys({ VK_END });
	EXPECT_EQ(State({ 0x7FFFFFF, 0, NONE, NONE }), m_control.State());
}

// Beyond the text the view scrolls toward the pointer, a step every 2 to 8 ticks of a timer that
// really runs; back inside it stops at once. A single-line control does not scroll.
TEST_F(HexEditInputTest, AutomaticScrollingFollowsThePointer)
{
	struct Case { int nBeyond; int nTicksPerStep; } cases[] = { { 40, 2 }, { 29, 2 }, { 28, 3 }, { 3, 8 }, { 12, 6 }, { -40, 2 } };
	for (const Case& c : cases)
	{
		m_control.SetTopRow(100, FALSE);
		const int x = PointOf(1603, 0).x, nDir = c.nBeyond > 0 ? 1 : -1;
		Mouse(WM_LBUTTONDOWN, PointOf(1603, 0));
		Mouse(WM_MOUSEMOVE, CPoint(x, c.nBeyond > 0 ? m_control.m_rcText.bottom + c.nBeyond : m_control.m_rcText.top + c.nBeyond));
		std::vector<int> steps, expected;
		for (int nTick = 1; nTick <= 4 * c.nTicksPerStep; ++nTick)
		{
			const UINT nTop = m_control.m_nTopRow;
			m_control.SendMessage(WM_TIMER, 1024);
			if (m_control.m_nTopRow != nTop)
				steps.push_back(nTick * (int)(m_control.m_nTopRow - nTop));
			if (nTick % c.nTicksPerStep == 0)
				expected.push_back(nTick * nDir);
		}
		EXPECT_EQ(expected, steps) << c.nBeyond << " pixels beyond";
		EXPECT_EQ(1603u, m_control.State()[nDir > 0 ? 2 : 3]);
		Mouse(WM_MOUSEMOVE, CPoint(x, 5 + m_cell.cy));
		const UINT nTop = m_control.m_nTopRow;
		m_control.SendMessage(WM_TIMER, 1024);
		EXPECT_EQ(nTop, m_control.m_nTopRow);
		Mouse(WM_LBUTTONUP, PointOf(1603, 0), 0);
	}
	Mouse(WM_LBUTTONDOWN, PointOf(1603, 0));
	Mouse(WM_MOUSEMOVE, CPoint(20, m_control.m_rcText.bottom + 40));
	MSG msg = {};
	for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < 200 && !::PeekMessage(&msg, m_control.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE);)
		::Sleep(1);
	EXPECT_EQ(1024u, msg.wParam);
	Mouse(WM_LBUTTONUP, PointOf(1603, 0), 0);
	::Sleep(50);
	EXPECT_FALSE(::PeekMessage(&msg, m_control.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));

	CHexEditProbe single;
	Create(single, 200, m_cell.cy, 100, WS_CHILD | WS_VISIBLE);
	single.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 2));
	single.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 100));
	EXPECT_FALSE(single.m_bAutoScrolling);
}

// Rows up and down, sideways in pixels within the text that does not fit.
TEST_F(HexEditInputTest, ScrollBarsAndWheelMoveTheView)
{
	m_control.MoveWindow(0, 0, 200, 6 * m_cell.cy + 10);
	const UINT nFull = m_control.m_nFullRows, nMax = m_control.m_nMaxHScrollPos, nPage = m_control.m_rcText.Width();
	ASSERT_GT(nMax, nPage + m_cell.cx);
	struct Step { UINT nMsg; WPARAM wParam; UINT nTop, nPos; } steps[] = {
		{ WM_VSCROLL, SB_LINEDOWN, 1, 0 }, { WM_VSCROLL, SB_PAGEDOWN, 1 + nFull, 0 }, { WM_VSCROLL, SB_PAGEUP, 1, 0 },
		{ WM_VSCROLL, SB_LINEUP, 0, 0 }, { WM_VSCROLL, SB_LINEUP, 0, 0 }, { WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-240), 2, 0 },
		{ WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 2, 0 }, { WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 1, 0 }, { WM_VSCROLL, SB_BOTTOM, 1, 0 },
		{ WM_HSCROLL, SB_LINERIGHT, 1, (UINT)m_cell.cx }, { WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 60000), 1, nMax },
		{ WM_HSCROLL, SB_PAGELEFT, 1, nMax - nPage },
	};
	for (const Step& step : steps)
	{
		m_control.SendMessage(step.nMsg, step.wParam);
		EXPECT_EQ(std::make_pair(step.nTop, step.nPos), std::make_pair(m_control.m_nTopRow, m_control.m_nHScrollPos)) << step.nMsg << " " << step.wParam;
	}
}

// A digit overwrites one half of the byte and keeps the other; each change notifies the parent.
TEST_F(HexEditInputTest, DigitsOverwriteHalfBytes)
{
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
	EXPECT_EQ(1, m_control.SendMessage(WM_CHAR, '0'));
	EXPECT_EQ(0x41, m_control.m_pData[0]);
	EXPECT_EQ(7u, m_parent.m_commands.size());
}
