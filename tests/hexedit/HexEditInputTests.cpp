// Caret placement, hit tests, keys, mouse selection, automatic scrolling and byte entry.
#include "HexEditTest.h"
#include "KeyState.h"

class HexEditInputTest : public HexEditTest
{
protected:
	void SetUp() override
	{
		HexEditTest::SetUp();
		// 16 bytes per row, 6 full rows, 65,536 bytes: 4,096 rows.
		CreateControl(m_control, 1023, 800, 6 * m_cell.cy + 10);
		m_data.resize(65536);
		for (size_t i = 0; i < m_data.size(); ++i)
			m_data[i] = (BYTE)i;
		m_control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
		m_control.SetAddressSize(4, FALSE);
		m_control.SetShowAddress(TRUE, FALSE);
		m_control.SetShowAscii(TRUE, FALSE);
		m_control.Layout();
		m_control.SetFocus();
	}

	void TearDown() override
	{
		SetKeyDown(VK_SHIFT, false);
		HexEditTest::TearDown();
	}

	void Key(UINT nKey) { m_control.SendMessage(WM_KEYDOWN, nKey, 1); }

	// The client point over the given cell (0 to 2 within a byte) of a byte shown on screen.
	CPoint PointOf(UINT nByte, int nCell)
	{
		UINT nRow = nByte / 16 - m_control.m_nTopRow;
		return CPoint(5 + (int)m_control.m_nHexLeft + (3 * (int)(nByte % 16) + nCell) * m_cell.cx,
			5 + (int)nRow * m_cell.cy + m_cell.cy / 2);
	}

	void ExpectEdit(UINT nPos, bool bHigh)
	{
		EXPECT_EQ(nPos, m_control.m_nEditPos);
		EXPECT_EQ(bHigh, m_control.m_bHighNibble);
	}

	void ExpectSelection(UINT nStart, UINT nEnd)
	{
		EXPECT_EQ(nStart, m_control.m_nSelStart);
		EXPECT_EQ(nEnd, m_control.m_nSelEnd);
	}

	CFontCell m_cell;
	CHexEditProbe m_control;
	std::vector<BYTE> m_data;
};

TEST_F(HexEditInputTest, HitTestsMapEveryColumnToAByte)
{
	EXPECT_EQ(16u, m_control.m_nBytesPerRow);
	struct Case { CPoint pt; UINT nPos; BOOL bHigh; } cases[] = {
		{ PointOf(0, 0), 0, TRUE }, { PointOf(0, 1), 0, FALSE },
		{ PointOf(0, 2), 0, FALSE },            // the separator: low half of the byte before
		{ PointOf(17, 0), 17, TRUE },
		{ CPoint(6, PointOf(32, 0).y), 32, TRUE },  // address column: first byte of the row
		{ CPoint(5 + (int)m_control.m_nAsciiLeft + 3, PointOf(32, 0).y), 47, FALSE },  // ASCII column
	};
	for (const Case& c : cases)
	{
		UINT nPos;
		BOOL bHigh;
		m_control.PositionFromPoint(c.pt, &nPos, &bHigh);
		EXPECT_EQ(c.nPos, nPos) << c.pt.x << "," << c.pt.y;
		EXPECT_EQ(c.bHigh, bHigh) << c.pt.x << "," << c.pt.y;
	}

	// Below the last byte of short data: the last byte, low half.
	std::vector<BYTE> shortData(20);
	m_control.SetData(shortData.data(), 20, FALSE);
	m_control.Layout();
	UINT nPos;
	BOOL bHigh;
	m_control.PositionFromPoint(CPoint(PointOf(0, 0).x, 5 + 5 * m_cell.cy), &nPos, &bHigh);
	EXPECT_EQ(19u, nPos);
	EXPECT_FALSE(bHigh);
}

TEST_F(HexEditInputTest, KeysMoveTheCaretAndStopAtTheEnds)
{
	Key(VK_END);
	ExpectEdit(65535, false);
	EXPECT_EQ(m_control.m_nMaxTopRow, m_control.m_nTopRow);
	Key(VK_RIGHT);
	ExpectEdit(65535, false);
	Key(VK_HOME);
	ExpectEdit(0, true);
	EXPECT_EQ(0u, m_control.m_nTopRow);
	Key(VK_LEFT);
	ExpectEdit(0, true);
	Key(VK_RIGHT);
	ExpectEdit(0, false);
	Key(VK_RIGHT);
	ExpectEdit(1, true);
	Key(VK_LEFT);
	ExpectEdit(0, false);
	Key(VK_DOWN);
	ExpectEdit(16, false);
	Key(VK_NEXT);
	ExpectEdit(16 + (m_control.m_nVisibleRows - 1) * 16, false);
	Key(VK_PRIOR);
	Key(VK_UP);
	ExpectEdit(0, false);
	EXPECT_TRUE(m_control.m_bCaretCreated);
	EXPECT_FALSE(m_control.HasSelection());
	EXPECT_EQ((LRESULT)DLGC_WANTALLKEYS, m_control.SendMessage(WM_GETDLGCODE));

	// Down into the rows below the view scrolls it; the row just below the full rows counts
	// as shown, so the view follows one row behind.
	for (int i = 0; i < 10; ++i)
		Key(VK_DOWN);
	EXPECT_EQ(160u, m_control.m_nEditPos);
	EXPECT_EQ(10u - m_control.m_nFullRows, m_control.m_nTopRow);
}

TEST_F(HexEditInputTest, ShiftSpansTheSelectionFromTheAnchor)
{
	Key(VK_DOWN);
	Key(VK_RIGHT);  // byte 16, low half
	SetKeyDown(VK_SHIFT, true);
	Key(VK_RIGHT);
	Key(VK_RIGHT);
	Key(VK_RIGHT);
	ExpectSelection(16, 18);
	Key(VK_UP);
	ExpectSelection(2, 16);
	// A digit typed with Shift keeps the selection and extends it to the new position.
	m_control.SendMessage(WM_CHAR, 'F', 0);
	ExpectSelection(2, 16);
	m_control.SendMessage(WM_CHAR, 'F', 0);
	ExpectSelection(3, 16);
	SetKeyDown(VK_SHIFT, false);
	Key(VK_RIGHT);
	EXPECT_FALSE(m_control.HasSelection());
	EXPECT_EQ(NONE, m_control.m_nSelAnchor);
}

TEST_F(HexEditInputTest, DraggingSelectsOnceThePointerLeavesTheThreshold)
{
	CPoint ptDown = PointOf(3, 0);
	m_control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptDown.x, ptDown.y));
	ExpectEdit(3, true);
	EXPECT_EQ(3u, m_control.m_nSelAnchor);
	EXPECT_EQ(m_control.m_hWnd, ::GetCapture());
	int cx = ::GetSystemMetrics(SM_CXDRAG);
	m_control.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptDown.x + cx / 2 - 1, ptDown.y));
	EXPECT_FALSE(m_control.HasSelection());

	CPoint ptTo = PointOf(20, 1);
	m_control.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptTo.x, ptTo.y));
	ExpectSelection(3, 20);
	ExpectEdit(20, false);
	// Back before the anchor: the selection is ordered.
	ptTo = PointOf(1, 0);
	m_control.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptTo.x, ptTo.y));
	ExpectSelection(1, 3);
	m_control.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptTo.x, ptTo.y));
	EXPECT_EQ(NULL, ::GetCapture());
	EXPECT_EQ(3u, m_control.m_nSelAnchor);

	m_control.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(PointOf(40, 0).x, PointOf(40, 0).y));
	ExpectSelection(40, 40);
}

TEST_F(HexEditInputTest, AutomaticScrollingStepsFasterFurtherAway)
{
	const int yBottom = m_control.m_rcText.bottom;
	// Pixels below the text rectangle's (exclusive) bottom edge, and the ticks that one step takes.
	struct Case { int nBelow; int nTicksPerStep; } cases[] = { { 40, 2 }, { 29, 2 }, { 28, 3 }, { 3, 8 }, { 12, 6 } };
	for (const Case& c : cases)
	{
		m_control.SetTopRow(0, FALSE);
		CPoint ptDown = PointOf(3, 0);
		m_control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptDown.x, ptDown.y));
		m_control.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptDown.x, yBottom + c.nBelow));
		ASSERT_TRUE(m_control.m_bAutoScrolling);
		std::vector<int> steps;
		for (int nTick = 1; nTick <= 4 * c.nTicksPerStep; ++nTick)
		{
			UINT nTop = m_control.m_nTopRow;
			m_control.SendMessage(WM_TIMER, 1024);
			if (m_control.m_nTopRow != nTop)
				steps.push_back(nTick);
		}
		std::vector<int> expected;
		for (int nStep = 1; nStep <= 4; ++nStep)
			expected.push_back(nStep * c.nTicksPerStep);
		EXPECT_EQ(expected, steps) << c.nBelow << " pixels below";
		EXPECT_EQ(3u, m_control.m_nSelStart);
		EXPECT_GT(m_control.m_nSelEnd, 16u * 4);

		// Back inside, the scrolling stops at once.
		m_control.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptDown.x, ptDown.y));
		EXPECT_FALSE(m_control.m_bAutoScrolling);
		UINT nTop = m_control.m_nTopRow;
		m_control.SendMessage(WM_TIMER, 1024);
		m_control.SendMessage(WM_TIMER, 1024);
		EXPECT_EQ(nTop, m_control.m_nTopRow);
		m_control.SendMessage(WM_LBUTTONUP, 0, 0);
	}
}

TEST_F(HexEditInputTest, ScrollBarsAndWheelMoveTheView)
{
	m_control.SendMessage(WM_VSCROLL, SB_LINEDOWN);
	EXPECT_EQ(1u, m_control.m_nTopRow);
	m_control.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
	EXPECT_EQ(1u + m_control.m_nFullRows, m_control.m_nTopRow);
	m_control.SendMessage(WM_VSCROLL, SB_PAGEUP);
	m_control.SendMessage(WM_VSCROLL, SB_LINEUP);
	m_control.SendMessage(WM_VSCROLL, SB_LINEUP);
	EXPECT_EQ(0u, m_control.m_nTopRow);
	m_control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-240), 0);
	EXPECT_EQ(2u, m_control.m_nTopRow);
	m_control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
	EXPECT_EQ(2u, m_control.m_nTopRow);
	m_control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
	EXPECT_EQ(1u, m_control.m_nTopRow);

	// Sideways in pixels, within the text that does not fit.
	m_control.MoveWindow(0, 0, 200, 6 * m_cell.cy + 10);
	ASSERT_GT(m_control.m_nMaxHScrollPos, 0u);
	m_control.SendMessage(WM_HSCROLL, SB_LINERIGHT);
	EXPECT_EQ((UINT)m_cell.cx, m_control.m_nHScrollPos);
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100000));
	EXPECT_EQ(m_control.m_nMaxHScrollPos, m_control.m_nHScrollPos);
	m_control.SendMessage(WM_HSCROLL, SB_PAGELEFT);
	EXPECT_EQ(m_control.m_nMaxHScrollPos - m_control.m_rcText.Width(), m_control.m_nHScrollPos);
}

TEST_F(HexEditInputTest, WithoutDataInputChangesNothing)
{
	m_control.SetData(NULL, 0, FALSE);
	m_parent.SetFocus();
	m_control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
	EXPECT_EQ(m_control.m_hWnd, ::GetFocus());  // a click still takes the focus
	for (UINT nKey : { VK_END, VK_DOWN, VK_NEXT })
		Key(nKey);
	m_control.SendMessage(WM_VSCROLL, SB_LINEDOWN);
	m_control.SendMessage(WM_TIMER, 1024);
	EXPECT_EQ(1, m_control.SendMessage(WM_CHAR, '5'));
	ExpectEdit(0, true);
	EXPECT_EQ(0u, m_control.m_nTopRow);
	EXPECT_FALSE(m_control.HasSelection());
	EXPECT_TRUE(m_parent.m_commands.empty());

	// A data pointer with no bytes behaves the same.
	static const BYTE s_empty = 0;
	m_control.SetData(&s_empty, 0, FALSE);
	Key(VK_END);
	EXPECT_EQ(1, m_control.SendMessage(WM_CHAR, '5'));
	ExpectEdit(0, true);
}

TEST_F(HexEditInputTest, DigitsOverwriteHalfBytesAndNotifyTheParent)
{
	EXPECT_EQ(0, m_control.SendMessage(WM_CHAR, '4'));
	EXPECT_EQ(0x40, m_control.m_pData[0]);
	ExpectEdit(0, false);
	EXPECT_EQ(0, m_control.SendMessage(WM_CHAR, '1'));
	EXPECT_EQ(0x41, m_control.m_pData[0]);
	ExpectEdit(1, true);
	EXPECT_EQ(0, m_control.SendMessage(WM_CHAR, 'a'));
	EXPECT_EQ(0, m_control.SendMessage(WM_CHAR, 'F'));
	EXPECT_EQ(0xAF, m_control.m_pData[1]);
	EXPECT_EQ(0, m_data[0]);  // the caller's buffer is never touched
	ASSERT_EQ(4u, m_parent.m_commands.size());
	EXPECT_EQ(MAKEWPARAM(1023, EN_CHANGE), m_parent.m_commands[0].first);
	EXPECT_EQ((LPARAM)m_control.m_hWnd, m_parent.m_commands[0].second);

	for (WPARAM ch : { (WPARAM)'g', (WPARAM)' ', (WPARAM)'.', (WPARAM)0x131, (WPARAM)VK_BACK })
		EXPECT_EQ(1, m_control.SendMessage(WM_CHAR, ch)) << ch;
	EXPECT_EQ(4u, m_parent.m_commands.size());

	// At the last byte the low digit keeps being overwritten.
	Key(VK_END);
	m_control.SendMessage(WM_CHAR, '7');
	m_control.SendMessage(WM_CHAR, '8');
	EXPECT_EQ((0xFF & 0xF0) | 0x8, m_control.m_pData[65535]);
	ExpectEdit(65535, false);

	m_control.SetReadOnly(TRUE, FALSE);
	Key(VK_HOME);
	EXPECT_EQ(1, m_control.SendMessage(WM_CHAR, '0'));
	EXPECT_EQ(0x41, m_control.m_pData[0]);
	EXPECT_EQ(6u, m_parent.m_commands.size());
}
