// Layout against the measured font cell, and the painted pixels read back from the window.
#include "HexEditTest.h"

class HexEditLayoutTest : public HexEditTest
{
protected:
	// A multi-line control whose text rectangle is cxText by cyText pixels.
	void CreateWithText(CHexEditProbe& control, int cxText, int cyText, BOOL bAscii, UINT nLength = 64)
	{
		CreateControl(control, 77, cxText + 10, cyText + 10);
		m_data.assign(nLength, 0x41);
		control.SetData(m_data.data(), nLength, FALSE);
		control.SetAddressSize(4, FALSE);
		control.SetShowAddress(TRUE, FALSE);
		control.SetShowAscii(bAscii, FALSE);
		control.SetBytesPerRow(16, TRUE, FALSE);
		control.Layout();
	}

	CFontCell m_cell;
	std::vector<BYTE> m_data;
};

TEST_F(HexEditLayoutTest, AutoFitTakesTheWidestRowThatFits)
{
	const int nAddress = 4 * m_cell.cx + 5;
	for (UINT nBytes : { 5u, 12u, 21u })
	{
		SCOPED_TRACE(testing::Message() << nBytes << " bytes per row");
		int cxAscii = nAddress + 5 + (4 * (int)nBytes - 1) * m_cell.cx;
		int cxHex = nAddress + (3 * (int)nBytes - 1) * m_cell.cx;
		struct Case { int cx; BOOL bAscii; UINT nExpected; } cases[] = {
			{ cxAscii, TRUE, nBytes }, { cxAscii - 1, TRUE, nBytes - 1 },
			{ cxHex, FALSE, nBytes }, { cxHex - 1, FALSE, nBytes - 1 },
		};
		for (const Case& c : cases)
		{
			CHexEditProbe control;
			CreateWithText(control, c.cx, 3 * m_cell.cy, c.bAscii);
			EXPECT_EQ(c.cx, control.m_rcText.Width());
			EXPECT_EQ(c.nExpected, control.m_nBytesPerRow) << "width " << c.cx << " ascii " << c.bAscii;
			EXPECT_EQ((UINT)nAddress, control.m_nAddressWidth);
			EXPECT_EQ(control.m_nAddressWidth, control.m_nHexLeft);
			EXPECT_EQ((3 * c.nExpected - 1) * m_cell.cx + 5, control.m_nHexWidth);
			EXPECT_EQ(c.bAscii ? control.m_nHexLeft + control.m_nHexWidth : 0u, control.m_nAsciiLeft);
			EXPECT_EQ(c.bAscii ? c.nExpected * m_cell.cx : 0u, control.m_nAsciiWidth);
			EXPECT_EQ(0u, control.m_nMaxHScrollPos);
		}
	}

	// Narrower than the address column: one byte per row, and the rest scrolls sideways.
	CHexEditProbe narrow;
	CreateWithText(narrow, nAddress - 1, 3 * m_cell.cy, TRUE);
	EXPECT_EQ(1u, narrow.m_nBytesPerRow);
	EXPECT_EQ(narrow.m_nAsciiLeft + narrow.m_nAsciiWidth - (UINT)narrow.m_rcText.Width(), narrow.m_nMaxHScrollPos);
}

TEST_F(HexEditLayoutTest, RowsCountWholeAndPartialRows)
{
	struct Case { int cyText; UINT nFull, nLast, nVisible; } cases[] = {
		{ 6 * m_cell.cy + 4, 6, 4, 7 }, { 6 * m_cell.cy, 6, (UINT)m_cell.cy, 6 }, { m_cell.cy - 1, 0, (UINT)m_cell.cy - 1, 1 },
	};
	for (const Case& c : cases)
	{
		CHexEditProbe control;
		CreateWithText(control, 400, c.cyText, TRUE, 65536);
		EXPECT_EQ((UINT)m_cell.cy, control.m_nLineHeight);
		EXPECT_EQ((UINT)m_cell.cx, control.m_nCharWidth);
		EXPECT_EQ(c.nFull, control.m_nFullRows) << c.cyText;
		EXPECT_EQ(c.nLast, control.m_nLastRowHeight) << c.cyText;
		EXPECT_EQ(c.nVisible, control.m_nVisibleRows) << c.cyText;
		UINT nRows = (65536 + control.m_nBytesPerRow - 1) / control.m_nBytesPerRow;
		EXPECT_EQ(nRows - c.nFull, control.m_nMaxTopRow);
	}

	// The largest top row follows the data: 65,536 bytes at 16 per row in 6 full rows.
	CHexEditProbe fixed;
	CreateControl(fixed, 77, 800, 6 * m_cell.cy + 10);
	m_data.assign(65536, 0);
	fixed.SetData(m_data.data(), 65536, FALSE);
	fixed.SetTopRow(5000, FALSE);
	fixed.Layout();
	EXPECT_EQ(16u, fixed.m_nBytesPerRow);
	EXPECT_EQ(4090u, fixed.m_nMaxTopRow);
	fixed.SetTopRow(5000, FALSE);
	EXPECT_EQ(4090u, fixed.m_nTopRow);
}

TEST_F(HexEditLayoutTest, SingleLineKeepsEveryByteInOneRowAndLeavesScrollBarsAlone)
{
	CHexEditProbe control;
	CreateControl(control, 77, 200, 3 * m_cell.cy, WS_CHILD | WS_VISIBLE);
	m_data.assign(100, 0x20);
	control.SetData(m_data.data(), 100, FALSE);
	control.Layout();
	Pump();
	EXPECT_EQ(100u, control.m_nBytesPerRow);
	EXPECT_EQ(CRect(0, 0, 200, 3 * m_cell.cy), control.m_rcText);
	EXPECT_EQ(0u, control.m_nMaxTopRow);
	EXPECT_GT(control.m_nMaxHScrollPos, 0u);
	EXPECT_EQ(0u, control.GetStyle() & (WS_HSCROLL | WS_VSCROLL));

	// The same bytes in multi-line style do get their scroll bar.
	CHexEditProbe multi;
	CreateControl(multi, 78, 200, 3 * m_cell.cy + 10);
	multi.SetData(m_data.data(), 100, FALSE);
	multi.Layout();
	Pump();
	EXPECT_NE(0u, multi.GetStyle() & WS_VSCROLL);
}

// Pixels of the painted control, read back after UpdateWindow.
class HexEditPaintTest : public HexEditLayoutTest
{
protected:
	void SetUp() override
	{
		HexEditLayoutTest::SetUp();
		CreateControl(m_control, 77, 600, 8 * m_cell.cy + 10);
		// Three rows of data in a control with room for eight: below them lie bare column backgrounds.
		m_data.resize(40);
		for (size_t i = 0; i < m_data.size(); ++i)
			m_data[i] = (BYTE)(0x30 + i);
		m_control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
		m_control.SetAddressSize(4, FALSE);
		m_control.SetShowAddress(TRUE, FALSE);
		m_control.SetShowAscii(TRUE, FALSE);
		m_control.SetBytesPerRow(16, FALSE, FALSE);
		Paint();
	}

	void Paint()
	{
		m_control.InvalidateRect(NULL, TRUE);
		m_control.UpdateWindow();
	}

	COLORREF Pixel(int x, int y)
	{
		HDC hDC = ::GetDC(m_control.m_hWnd);
		COLORREF cr = ::GetPixel(hDC, x, y);
		::ReleaseDC(m_control.m_hWnd, hDC);
		return cr;
	}

	// Whether the colour appears anywhere in the rectangle.
	bool Contains(const CRect& rc, COLORREF cr)
	{
		HDC hDC = ::GetDC(m_control.m_hWnd);
		bool bFound = false;
		for (int y = rc.top; y < rc.bottom && !bFound; ++y)
			for (int x = rc.left; x < rc.right && !bFound; ++x)
				bFound = ::GetPixel(hDC, x, y) == cr;
		::ReleaseDC(m_control.m_hWnd, hDC);
		return bFound;
	}

	// The middle of the separator cell after the byte in the given column of the given row.
	CPoint Separator(int nRow, int nColumn)
	{
		return CPoint(5 + (int)m_control.m_nHexLeft + (3 * nColumn + 2) * m_cell.cx + m_cell.cx / 2,
			5 + nRow * m_cell.cy + m_cell.cy / 2);
	}

	CHexEditProbe m_control;
};

TEST_F(HexEditPaintTest, ColumnsShowTheirColoursAndGaps)
{
	const int yBelow = 5 + 4 * m_cell.cy;
	const int xAddress = 5 + 2;
	const int xHex = 5 + (int)m_control.m_nHexLeft + 2;
	const int xAscii = 5 + (int)m_control.m_nAsciiLeft + 2;
	EXPECT_EQ(RGB(210, 210, 210), Pixel(2, 2));
	EXPECT_EQ(RGB(90, 0, 0), Pixel(xAddress, yBelow));
	EXPECT_EQ(RGB(180, 210, 190), Pixel(xHex, yBelow));
	EXPECT_EQ(RGB(0, 20, 0), Pixel(xAscii, yBelow));
	// The 5-pixel gaps show the control's background.
	EXPECT_EQ(RGB(210, 210, 210), Pixel(5 + (int)m_control.m_nAddressWidth - 3, yBelow));
	EXPECT_EQ(RGB(210, 210, 210), Pixel(5 + (int)m_control.m_nAsciiLeft - 3, yBelow));

	CRect rcFirstRow(5, 5, 5 + (int)m_control.m_nAddressWidth - 5, 5 + m_cell.cy);
	EXPECT_TRUE(Contains(rcFirstRow, RGB(255, 0, 0)));
	rcFirstRow.SetRect(xHex, 5, xHex + 10 * m_cell.cx, 5 + m_cell.cy);
	EXPECT_TRUE(Contains(rcFirstRow, RGB(0, 0, 255)));
	rcFirstRow.SetRect(xAscii, 5, xAscii + 10 * m_cell.cx, 5 + m_cell.cy);
	EXPECT_TRUE(Contains(rcFirstRow, RGB(0, 255, 0)));
	// Past the last byte of the last row (40 bytes: 8 in the third row) nothing is written.
	CRect rcPast(xHex + 3 * 8 * m_cell.cx, 5 + 2 * m_cell.cy, xHex + 3 * 16 * m_cell.cx, 5 + 3 * m_cell.cy);
	EXPECT_FALSE(Contains(rcPast, RGB(0, 0, 255)));
}

TEST_F(HexEditPaintTest, SelectionFollowsFocusAndMode)
{
	m_control.SetSelection(5, 20, FALSE, FALSE);
	m_control.SetFocus();
	Paint();
	EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), Pixel(Separator(0, 5).x, Separator(0, 5).y));
	EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), Pixel(Separator(1, 3).x, Separator(1, 3).y));
	EXPECT_EQ(RGB(180, 210, 190), Pixel(Separator(0, 4).x, Separator(0, 4).y));
	EXPECT_EQ(RGB(180, 210, 190), Pixel(Separator(1, 4).x, Separator(1, 4).y));

	m_parent.SetFocus();
	Paint();
	EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), Pixel(Separator(0, 5).x, Separator(0, 5).y));

	// In single-line mode a selection shows only while the control has the focus.
	CHexEditProbe single;
	CreateControl(single, 90, 400, 2 * m_cell.cy, WS_CHILD | WS_VISIBLE);
	::SetWindowPos(single.m_hWnd, NULL, 0, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
	single.SetData(m_data.data(), 8, FALSE);
	single.SetSelection(1, 3, FALSE, FALSE);
	single.UpdateWindow();
	HDC hDC = ::GetDC(single.m_hWnd);
	int x = (int)single.m_nHexLeft + 5 * m_cell.cx + m_cell.cx / 2;  // the separator after byte 1
	EXPECT_EQ(RGB(180, 210, 190), ::GetPixel(hDC, x, m_cell.cy / 2));
	single.SetFocus();
	single.InvalidateRect(NULL, TRUE);
	single.UpdateWindow();
	EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), ::GetPixel(hDC, x, m_cell.cy / 2));
	::ReleaseDC(single.m_hWnd, hDC);
}

TEST_F(HexEditPaintTest, EmptyControlShowsOnlyTheBackground)
{
	static const BYTE s_empty = 0;
	m_control.SetData(&s_empty, 0, FALSE);
	Paint();
	for (int x : { 2, 5 + 2, 5 + (int)m_control.m_nHexLeft + 2, 5 + (int)m_control.m_nAsciiLeft + 2 })
		EXPECT_EQ(RGB(210, 210, 210), Pixel(x, 5 + m_cell.cy / 2)) << x;
}
