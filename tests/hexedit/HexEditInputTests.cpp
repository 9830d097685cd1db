// The caret, hit tests, keys, the mouse, automatic scrolling, scrolling and byte entry.
#include "HexEditTest.h"
#include "KeyState.h"

// 65,536 bytes at 16 a row, six full rows shown, the control focused.
class HexEditInputTest : public HexEditTest
{
protected:
	void SetUp() override
	{
		HexEditTest::SetUp();
		Create(m_control, 800, 6 * m_cell.cy, 65536);
		m_control.SetFocus();
	}

	void TearDown() override
	{
		SetKeyDown(VK_SHIFT, false);
		HexEditTest::TearDown();
	}

	void Key(UINT nKey) { m_control.SendMessage(WM_KEYDOWN, nKey, 1); }
	void Mouse(UINT nMsg, CPoint pt, WPARAM wFlags = MK_LBUTTON) { m_control.SendMessage(nMsg, wFlags, MAKELPARAM(pt.x, pt.y)); }

	// The client point nOffset pixels into the given cell (0 to 2) of a byte in view.
	CPoint PointOf(UINT nByte, int nCell, int nOffset = 0)
	{
		int nRow = (int)(nByte / 16 - m_control.m_nTopRow);
		return CPoint(5 + (int)m_control.m_nHexLeft + (3 * (int)(nByte % 16) + nCell) * m_cell.cx + nOffset,
			5 + nRow * m_cell.cy + m_cell.cy / 2);
	}

	// Edit position, its half (1 high), selection start and end.
	std::vector<UINT> State()
	{
		return { m_control.m_nEditPos, m_control.m_bHighNibble ? 1u : 0u, m_control.m_nSelStart, m_control.m_nSelEnd };
	}

	CHexEditProbe m_control;
};

// A point in the right half of a cell counts as the next cell; sideways scrolling is counted in.
TEST_F(HexEditInputTest, HitTestsMapPointsToHalfBytes)
{
	const int nHalf = m_cell.cx - m_cell.cx / 2;
	struct Case { CPoint pt; UINT nPos; BOOL bHigh; } cases[] = {
		{ PointOf(0, 0), 0, TRUE }, { PointOf(0, 0, nHalf - 1), 0, TRUE }, { PointOf(0, 0, nHalf), 0, FALSE },
		{ PointOf(0, 2, nHalf - 1), 0, FALSE }, { PointOf(0, 2, nHalf), 1, TRUE }, { PointOf(17, 1), 17, FALSE },
		{ CPoint(6, PointOf(32, 0).y), 32, TRUE },
		{ CPoint(5 + (int)m_control.m_nAsciiLeft + 3, PointOf(32, 0).y), 47, FALSE },
	};
	for (const Case& c : cases)
	{
		UINT nPos;
		BOOL bHigh;
		m_control.PositionFromPoint(c.pt, &nPos, &bHigh);
		EXPECT_EQ(c.nPos, nPos) << c.pt.x << "," << c.pt.y;
		EXPECT_EQ(c.bHigh, bHigh) << c.pt.x << "," << c.pt.y;
	}
	m_control.MoveWindow(0, 0, 200, 6 * m_cell.cy + 10);
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 3 * m_cell.cx));
	Mouse(WM_LBUTTONDOWN, PointOf(2, 0, -3 * m_cell.cx));
	EXPECT_EQ(std::vector<UINT>({ 2, 1, NONE, NONE }), State());

	// Below the last byte of short data: the last byte, low half.
	m_control.SetData(m_data.data(), 20, FALSE);
	Mouse(WM_LBUTTONDOWN, CPoint(PointOf(0, 0).x, 5 + 5 * m_cell.cy));
	EXPECT_EQ(std::vector<UINT>({ 19, 0, NONE, NONE }), State());
}

// The caret covers the digit being edited, a cell wide and a row high less one pixel, and
// exists only while the control has the focus.
TEST_F(HexEditInputTest, CaretCoversTheDigitWhileFocused)
{
	auto Caret = []() {
		GUITHREADINFO info = {};
		info.cbSize = sizeof(info);
		::GetGUIThreadInfo(::GetCurrentThreadId(), &info);
		return std::make_pair(info.hwndCaret, CRect(info.rcCaret));
	};
	Key(VK_DOWN);
	Key(VK_RIGHT);
	Key(VK_RIGHT);
	Key(VK_RIGHT);
	const int x = 5 + (int)m_control.m_nHexLeft + 4 * m_cell.cx, y = 5 + m_cell.cy + 1;
	const CRect rcCaret(x, y, x + m_cell.cx, y + m_cell.cy - 1);
	EXPECT_EQ(std::make_pair(m_control.m_hWnd, rcCaret), Caret());
	m_parent.SetFocus();
	EXPECT_EQ(NULL, Caret().first);
	m_control.SetFocus();
	EXPECT_EQ(std::make_pair(m_control.m_hWnd, rcCaret), Caret());
	// Scrolled out of view, the caret goes.
	m_control.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
	EXPECT_EQ(NULL, Caret().first);
}

TEST_F(HexEditInputTest, KeysMoveTheEditPositionAndStopAtTheEnds)
{
	const UINT nPage = 16 * (m_control.m_nVisibleRows - 1);
	struct Step { UINT nKey; UINT nPos; UINT nHigh; } steps[] = {
		{ VK_END, 65535, 0 }, { VK_RIGHT, 65535, 0 }, { VK_HOME, 0, 1 }, { VK_LEFT, 0, 1 }, { VK_RIGHT, 0, 0 },
		{ VK_RIGHT, 1, 1 }, { VK_LEFT, 0, 0 }, { VK_LEFT, 0, 1 }, { VK_DOWN, 16, 1 }, { VK_NEXT, 16 + nPage, 1 },
		{ VK_PRIOR, 16, 1 }, { VK_UP, 0, 1 }, { VK_UP, 0, 1 }, { VK_TAB, 0, 1 },
	};
	for (const Step& step : steps)
	{
		m_control.SetFocus();
		Key(step.nKey);
		EXPECT_EQ(std::vector<UINT>({ step.nPos, step.nHigh, NONE, NONE }), State()) << "key " << step.nKey;
	}
	EXPECT_EQ((LRESULT)DLGC_WANTALLKEYS, m_control.SendMessage(WM_GETDLGCODE));
	Key(VK_END);
	EXPECT_EQ(m_control.m_nMaxTopRow, m_control.m_nTopRow);
	Key(VK_HOME);
	EXPECT_EQ(0u, m_control.m_nTopRow);
	// Down past the full rows scrolls; the partial row below them counts as shown.
	for (int i = 0; i < 10; ++i)
		Key(VK_DOWN);
	EXPECT_EQ(10u - m_control.m_nFullRows, m_control.m_nTopRow);
}

TEST_F(HexEditInputTest, ShiftSpansTheSelectionFromTheAnchor)
{
	Key(VK_DOWN);
	Key(VK_RIGHT);
	SetKeyDown(VK_SHIFT, true);
	for (UINT nKey : { VK_RIGHT, VK_RIGHT, VK_RIGHT })
		Key(nKey);
	EXPECT_EQ(std::vector<UINT>({ 18, 1, 16, 18 }), State());
	Key(VK_UP);
	EXPECT_EQ(std::vector<UINT>({ 2, 1, 2, 16 }), State());
	// Digits typed with Shift keep the selection and extend it as the position moves on.
	m_control.SendMessage(WM_CHAR, 'F', 0);
	m_control.SendMessage(WM_CHAR, 'F', 0);
	EXPECT_EQ(std::vector<UINT>({ 3, 1, 3, 16 }), State());
	EXPECT_EQ(0xFF, m_control.m_pData[2]);
	SetKeyDown(VK_SHIFT, false);
	Key(VK_RIGHT);
	EXPECT_EQ(std::vector<UINT>({ 3, 0, NONE, NONE }), State());
	EXPECT_EQ(NONE, m_control.m_nSelAnchor);
}

TEST_F(HexEditInputTest, DraggingSelectsOnceThePointerLeavesTheThreshold)
{
	Mouse(WM_LBUTTONDOWN, PointOf(3, 0));
	EXPECT_EQ(m_control.m_hWnd, ::GetCapture());
	Mouse(WM_MOUSEMOVE, PointOf(3, 0, ::GetSystemMetrics(SM_CXDRAG) / 2 - 1));
	EXPECT_EQ(std::vector<UINT>({ 3, 1, NONE, NONE }), State());
	Mouse(WM_MOUSEMOVE, PointOf(20, 1));
	EXPECT_EQ(std::vector<UINT>({ 20, 0, 3, 20 }), State());
	Mouse(WM_MOUSEMOVE, PointOf(1, 0));
	EXPECT_EQ(std::vector<UINT>({ 1, 1, 1, 3 }), State());
	Mouse(WM_MOUSEMOVE, PointOf(40, 0), 0);
	Mouse(WM_LBUTTONUP, PointOf(40, 0), 0);
	EXPECT_EQ(NULL, ::GetCapture());
	EXPECT_EQ(std::vector<UINT>({ 1, 1, 1, 3 }), State());
	Mouse(WM_LBUTTONDBLCLK, PointOf(40, 1));
	EXPECT_EQ(std::vector<UINT>({ 40, 0, 40, 40 }), State());
}

// Beyond the text the view scrolls toward the pointer, a step every 2 to 8 ticks of a timer
// that really runs; back inside it stops at once.
TEST_F(HexEditInputTest, AutomaticScrollingFollowsThePointer)
{
	struct Case { int nBeyond; int nTicksPerStep; } cases[] = { { 40, 2 }, { 29, 2 }, { 28, 3 }, { 3, 8 }, { 12, 6 }, { -40, 2 } };
	for (const Case& c : cases)
	{
		m_control.SetTopRow(100, FALSE);
		Mouse(WM_LBUTTONDOWN, PointOf(1603, 0));
		const int y = c.nBeyond > 0 ? m_control.m_rcText.bottom + c.nBeyond : m_control.m_rcText.top + c.nBeyond;
		Mouse(WM_MOUSEMOVE, CPoint(PointOf(1603, 0).x, y));
		ASSERT_TRUE(m_control.m_bAutoScrolling);
		std::vector<int> steps, expected;
		for (int nTick = 1; nTick <= 4 * c.nTicksPerStep; ++nTick)
		{
			UINT nTop = m_control.m_nTopRow;
			m_control.SendMessage(WM_TIMER, 1024);
			if (m_control.m_nTopRow != nTop)
				steps.push_back(nTick * (m_control.m_nTopRow > nTop ? 1 : -1));
		}
		for (int nStep = 1; nStep <= 4; ++nStep)
			expected.push_back(nStep * c.nTicksPerStep * (c.nBeyond > 0 ? 1 : -1));
		EXPECT_EQ(expected, steps) << c.nBeyond << " pixels beyond";
		EXPECT_EQ(1603u, c.nBeyond > 0 ? m_control.m_nSelStart : m_control.m_nSelEnd);

		Mouse(WM_MOUSEMOVE, CPoint(PointOf(1603, 0).x, 5 + m_cell.cy));
		EXPECT_FALSE(m_control.m_bAutoScrolling);
		UINT nTop = m_control.m_nTopRow;
		m_control.SendMessage(WM_TIMER, 1024);
		EXPECT_EQ(nTop, m_control.m_nTopRow);
		Mouse(WM_LBUTTONUP, PointOf(1603, 0), 0);
	}

	// The timer's own ticks arrive within moments.
	Mouse(WM_LBUTTONDOWN, PointOf(1603, 0));
	Mouse(WM_MOUSEMOVE, CPoint(PointOf(1603, 0).x, m_control.m_rcText.bottom + 40));
	MSG msg = {};
	const DWORD dwStart = ::GetTickCount();
	while (::GetTickCount() - dwStart < 200 && !::PeekMessage(&msg, m_control.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE))
		::Sleep(1);
	EXPECT_EQ(1024u, msg.wParam);
	Mouse(WM_LBUTTONUP, PointOf(1603, 0), 0);
	::Sleep(50);
	EXPECT_FALSE(::PeekMessage(&msg, m_control.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));

	// A single-line control has no rows to scroll to.
	CHexEditProbe single;
	Create(single, 200, m_cell.cy, 100, WS_CHILD | WS_VISIBLE);
	single.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 2));
	single.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 100));
	EXPECT_FALSE(single.m_bAutoScrolling);
}

TEST_F(HexEditInputTest, ScrollBarsAndWheelMoveTheView)
{
	const int nFull = (int)m_control.m_nFullRows;
	struct Step { UINT nMsg; WPARAM wParam; int nTop; } steps[] = {
		{ WM_VSCROLL, SB_LINEDOWN, 1 }, { WM_VSCROLL, SB_PAGEDOWN, 1 + nFull }, { WM_VSCROLL, SB_PAGEUP, 1 },
		{ WM_VSCROLL, SB_LINEUP, 0 }, { WM_VSCROLL, SB_LINEUP, 0 }, { WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-240), 2 },
		{ WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 2 }, { WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 1 },
		{ WM_VSCROLL, SB_BOTTOM, 1 },
	};
	for (const Step& step : steps)
	{
		m_control.SendMessage(step.nMsg, step.wParam);
		EXPECT_EQ((UINT)step.nTop, m_control.m_nTopRow) << step.nMsg << " " << step.wParam;
	}
	// Sideways in pixels, within the text that does not fit.
	m_control.MoveWindow(0, 0, 200, 6 * m_cell.cy + 10);
	const UINT nMax = m_control.m_nMaxHScrollPos;
	ASSERT_GT(nMax, 0u);
	struct Side { WPARAM wParam; UINT nPos; } sides[] = {
		{ SB_LINERIGHT, (UINT)m_cell.cx }, { MAKEWPARAM(SB_THUMBTRACK, 100000), nMax },
		{ SB_PAGELEFT, nMax - m_control.m_rcText.Width() }, { SB_LINELEFT, nMax - m_control.m_rcText.Width() - m_cell.cx },
		{ SB_PAGERIGHT, nMax - m_cell.cx },
	};
	for (const Side& side : sides)
	{
		m_control.SendMessage(WM_HSCROLL, side.wParam);
		EXPECT_EQ(side.nPos, m_control.m_nHScrollPos) << side.wParam;
	}
}

TEST_F(HexEditInputTest, WithoutDataInputChangesNothing)
{
	for (const BYTE* pData : { (const BYTE*)NULL, (const BYTE*)m_data.data() })
	{
		m_control.SetData(pData, 0, FALSE);
		m_parent.SetFocus();
		Mouse(WM_LBUTTONDOWN, CPoint(30, 10));
		EXPECT_EQ(m_control.m_hWnd, ::GetFocus());  // a click still takes the focus
		for (UINT nKey : { VK_END, VK_DOWN, VK_NEXT })
			Key(nKey);
		m_control.SendMessage(WM_VSCROLL, SB_LINEDOWN);
		m_control.SendMessage(WM_TIMER, 1024);
		EXPECT_EQ(1, m_control.SendMessage(WM_CHAR, '5'));
		EXPECT_EQ(std::vector<UINT>({ 0, 1, NONE, NONE }), State());
		EXPECT_EQ(0u, m_control.m_nTopRow);
		EXPECT_TRUE(m_parent.m_commands.empty());
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
		EXPECT_EQ(step.b, m_control.m_pData[nEdit]) << step.ch;
		EXPECT_EQ(step.nPos, m_control.m_nEditPos) << step.ch;
	}
	ASSERT_EQ(5u, m_parent.m_commands.size());
	EXPECT_EQ(MAKEWPARAM(1023, EN_CHANGE), m_parent.m_commands[0].first);
	EXPECT_EQ((LPARAM)m_control.m_hWnd, m_parent.m_commands[0].second);

	// At the last byte the low digit keeps being overwritten.
	Key(VK_END);
	m_control.SendMessage(WM_CHAR, '7');
	m_control.SendMessage(WM_CHAR, '8');
	EXPECT_EQ(0x98, m_control.m_pData[65535]);
	EXPECT_EQ(std::vector<UINT>({ 65535, 0, NONE, NONE }), State());

	m_control.SetReadOnly(TRUE, FALSE);
	Key(VK_HOME);
	EXPECT_EQ(1, m_control.SendMessage(WM_CHAR, '0'));
	EXPECT_EQ(0x41, m_control.m_pData[0]);
	EXPECT_EQ(7u, m_parent.m_commands.size());
}
