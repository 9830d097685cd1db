// The hex control's model, layout, scroll bars and painting.
#include "HexEditTest.h"

TEST_F(HexEditTest, ClassesAndDefaults)
{
	CHexEditProbe control;
	EXPECT_EQ(::RegisterClipboardFormat(_T("BinaryData")), control.m_cfBinaryData);
	for (LPCTSTR lpszClass : { _T("CHexEditBase"), _T("CHexEditBase_SC") })
	{
		WNDCLASS wndcls;
		ASSERT_TRUE(::GetClassInfo(AfxGetInstanceHandle(), lpszClass, &wndcls)) << lpszClass;
		EXPECT_EQ((UINT)(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), wndcls.style);
		EXPECT_EQ(::LoadCursor(NULL, IDC_IBEAM), wndcls.hCursor);
		EXPECT_EQ(NULL, wndcls.hbrBackground);
	}
	CObject* pCreated = RUNTIME_CLASS(CHexEditBase)->CreateObject();
	EXPECT_TRUE(pCreated->IsKindOf(RUNTIME_CLASS(CWnd)));
	delete pCreated;
}

// The control works on a copy, made anew by each call; positions start over.
TEST_F(HexEditTest, SetDataCopiesAndStartsOver)
{
	CHexEditProbe control;
	std::vector<BYTE> source = { 1, 2, 3, 4, 5 };
	control.SetData(source.data(), 5, TRUE);
	control.SetSelection(1, 2, FALSE, FALSE);
	control.m_nEditPos = 3;
	control.m_bHighNibble = false;
	control.m_nSelAnchor = 1;
	source[0] = 99;
	control.SetData(source.data(), 5, FALSE);
	ASSERT_NE(source.data(), control.m_pData);
	EXPECT_EQ(source, std::vector<BYTE>(control.m_pData, control.m_pData + 5));
	EXPECT_EQ(std::vector<UINT>({ NONE, NONE, NONE, 0 }),
		std::vector<UINT>({ control.m_nSelStart, control.m_nSelEnd, control.m_nSelAnchor, control.m_nEditPos }));
	EXPECT_TRUE(control.m_bHighNibble);
	EXPECT_TRUE(control.m_bFreeData);

	control.SetData(NULL, 5, TRUE);
	EXPECT_EQ(NULL, control.m_pData);
	EXPECT_EQ(0u, control.m_nLength);
	control.SetData(source.data(), 0, TRUE);
	EXPECT_EQ(0u, control.m_nLength);
}

TEST_F(HexEditTest, SetSelectionClampsEachEndAndRepaintsOnChange)
{
	CHexEditProbe control;
	Create(control, 300, 200, 100);
	struct Case { UINT nBegin, nEnd, nStart, nSelEnd; bool bRepaint; } cases[] = {
		{ 5, 500, 5, 99, true }, { 5, 99, 5, 99, false }, { 200, 300, 99, 99, true },
		{ NONE, NONE, NONE, NONE, true }, { NONE, 4, NONE, 4, true }, { 3, NONE, 3, NONE, true },
	};
	for (const Case& c : cases)
	{
		::ValidateRect(control.m_hWnd, NULL);
		control.SetSelection(c.nBegin, c.nEnd, FALSE, TRUE);
		EXPECT_EQ(c.nStart, control.m_nSelStart) << c.nBegin << ".." << c.nEnd;
		EXPECT_EQ(c.nSelEnd, control.m_nSelEnd) << c.nBegin << ".." << c.nEnd;
		EXPECT_EQ(c.nStart != NONE && c.nSelEnd != NONE, control.HasSelection() != FALSE);
		EXPECT_EQ(c.bRepaint, IsInvalid(control.m_hWnd)) << c.nBegin << ".." << c.nEnd;
	}
	control.SetData(NULL, 0, FALSE);
	control.SetSelection(0, 3, FALSE, FALSE);
	EXPECT_FALSE(control.HasSelection());
}

// Without data nothing lays the control out at once, so the pending layout shows.
TEST_F(HexEditTest, SettingsMarkTheLayoutDirtyOnlyWhenTheyChange)
{
	CHexEditProbe control;
	Create(control, 300, 200, 0);
	struct Case { const char* pszName; void (*pfnApply)(CHexEditProbe&); bool bDirty; bool bRepaint; };
	const Case cases[] = {
		{ "same bytes per row", [](CHexEditProbe& c) { c.SetBytesPerRow(16, FALSE, TRUE); }, false, false },
		{ "auto-fit", [](CHexEditProbe& c) { c.SetBytesPerRow(16, TRUE, TRUE); }, true, true },
		{ "other bytes per row", [](CHexEditProbe& c) { c.SetBytesPerRow(8, TRUE, FALSE); }, true, false },
		{ "address hidden", [](CHexEditProbe& c) { c.SetShowAddress(FALSE, TRUE); }, true, true },
		{ "address still hidden", [](CHexEditProbe& c) { c.SetShowAddress(FALSE, TRUE); }, false, false },
		{ "ascii hidden", [](CHexEditProbe& c) { c.SetShowAscii(FALSE, FALSE); }, true, false },
		{ "ascii by low byte", [](CHexEditProbe& c) { c.SetShowAscii(0x100, FALSE); }, false, false },
		{ "address size", [](CHexEditProbe& c) { c.SetAddressSize(8, TRUE); }, true, true },
		{ "read-only", [](CHexEditProbe& c) { c.SetReadOnly(TRUE, TRUE); }, false, true },
	};
	for (const Case& c : cases)
	{
		control.m_bLayoutDirty = false;
		::ValidateRect(control.m_hWnd, NULL);
		c.pfnApply(control);
		EXPECT_EQ(c.bDirty, control.m_bLayoutDirty) << c.pszName;
		EXPECT_EQ(c.bRepaint, IsInvalid(control.m_hWnd)) << c.pszName;
	}
	EXPECT_TRUE(control.m_bAutoBytesPerRow);
	EXPECT_EQ(8u, control.m_nRequestedBytesPerRow);
	EXPECT_FALSE(control.m_bShowAddress);
	EXPECT_FALSE(control.m_bShowAscii);
	EXPECT_TRUE(control.m_bReadOnly);
}

// A proportional font is refused; a fixed-pitch one is copied, so the sender may delete its own.
TEST_F(HexEditTest, FontsMustBeFixedPitch)
{
	CHexEditProbe control;
	Create(control, 300, 200, 100);
	const LRESULT lStock = (LRESULT)::GetStockObject(OEM_FIXED_FONT);
	EXPECT_EQ(lStock, control.SendMessage(WM_GETFONT));
	HFONT hProportional = ::CreateFont(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, _T("Arial"));
	control.SendMessage(WM_SETFONT, (WPARAM)hProportional, FALSE);
	control.SendMessage(WM_SETFONT, (WPARAM)::GetStockObject(WHITE_BRUSH), FALSE);
	EXPECT_EQ(lStock, control.SendMessage(WM_GETFONT));
	::DeleteObject(hProportional);

	HFONT hFixed = ::CreateFont(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, FIXED_PITCH | FF_MODERN, _T("Courier New"));
	::ValidateRect(control.m_hWnd, NULL);
	control.SendMessage(WM_SETFONT, (WPARAM)hFixed, TRUE);
	EXPECT_TRUE(IsInvalid(control.m_hWnd));
	EXPECT_TRUE(control.m_bLayoutDirty);
	::DeleteObject(hFixed);
	LOGFONT lf = {};
	ASSERT_EQ((int)sizeof(lf), ::GetObject((HFONT)control.SendMessage(WM_GETFONT), sizeof(lf), &lf));
	EXPECT_EQ(-13, lf.lfHeight);
	EXPECT_STREQ("Courier New", lf.lfFaceName);
}

TEST_F(HexEditTest, WindowsComeFromCreateSubclassingOrTheSelfCreatingClass)
{
	CHexEditProbe created;
	Create(created, 300, 200, 100);
	char szClass[64] = "";
	::GetClassNameA(created.m_hWnd, szClass, sizeof(szClass));
	EXPECT_STREQ("CHexEditBase", szClass);
	EXPECT_EQ(&created, CWnd::FromHandlePermanent(created.m_hWnd));
	created.NotifyParent(EN_CHANGE);
	ASSERT_EQ(1u, m_parent.m_commands.size());
	EXPECT_EQ(MAKEWPARAM(1023, EN_CHANGE), m_parent.m_commands[0].first);
	EXPECT_EQ((LPARAM)created.m_hWnd, m_parent.m_commands[0].second);

	// Subclassed, the edit window keeps answering what the control does not handle; the
	// control's destructor takes the window with it.
	HWND hEdit = ::CreateWindowEx(0, _T("Edit"), _T("kept"), WS_CHILD | ES_MULTILINE, 0, 0, 50, 20,
		m_parent.m_hWnd, (HMENU)5, NULL, NULL);
	{
		CHexEditProbe subclassed;
		ASSERT_TRUE(subclassed.SubclassWindow(hEdit));
		char szText[16] = "";
		::GetWindowTextA(hEdit, szText, sizeof(szText));
		EXPECT_STREQ("kept", szText);
	}
	EXPECT_FALSE(::IsWindow(hEdit));

	// Each window of the self-creating class makes its own object and deletes it with itself.
	HWND ahWnd[2];
	for (HWND& hWnd : ahWnd)
	{
		hWnd = ::CreateWindowEx(0, _T("CHexEditBase_SC"), _T("x"), WS_CHILD, 0, 0, 100, 50, m_parent.m_hWnd, NULL,
			AfxGetInstanceHandle(), NULL);
		CHexEditProbe* pControl = static_cast<CHexEditProbe*>(DYNAMIC_DOWNCAST(CHexEditBase, CWnd::FromHandlePermanent(hWnd)));
		ASSERT_NE(nullptr, pControl);
		EXPECT_TRUE(pControl->m_bAutoDelete);
	}
	EXPECT_NE(CWnd::FromHandlePermanent(ahWnd[0]), CWnd::FromHandlePermanent(ahWnd[1]));
	for (HWND hWnd : ahWnd)
	{
		::DestroyWindow(hWnd);
		EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
	}
}

// The widest row whose text fits: four cells a byte with the ASCII column, three without, less
// the last byte's space; the ASCII gap counts once. Narrower than the address: one byte a row.
TEST_F(HexEditTest, AutoFitTakesTheWidestRowThatFits)
{
	const int nAddress = 4 * m_cell.cx + 5;
	for (int nBytes : { 5, 12, 21 })
	{
		const int cxAscii = nAddress + 5 + (4 * nBytes - 1) * m_cell.cx, cxHex = nAddress + (3 * nBytes - 1) * m_cell.cx;
		struct Case { int cx; BOOL bAscii; int nExpected; } cases[] = {
			{ cxAscii, TRUE, nBytes }, { cxAscii - 1, TRUE, nBytes - 1 }, { cxHex, FALSE, nBytes }, { cxHex - 1, FALSE, nBytes - 1 },
			{ nAddress - 1, TRUE, 1 },
		};
		for (const Case& c : cases)
		{
			CHexEditProbe control;
			Create(control, c.cx, 3 * m_cell.cy, 64);
			control.SetShowAscii(c.bAscii, FALSE);
			control.SetBytesPerRow(16, TRUE, FALSE);
			control.Layout();
			EXPECT_EQ((UINT)c.nExpected, control.m_nBytesPerRow) << "width " << c.cx << " ascii " << c.bAscii;
			EXPECT_EQ((UINT)nAddress, control.m_nHexLeft);
			EXPECT_EQ((3 * c.nExpected - 1) * m_cell.cx + 5, (int)control.m_nHexWidth);
			EXPECT_EQ(c.bAscii ? nAddress + (int)control.m_nHexWidth : 0, (int)control.m_nAsciiLeft);
			EXPECT_EQ(c.bAscii ? c.nExpected * m_cell.cx : 0, (int)control.m_nAsciiWidth);
			const int nText = c.bAscii ? (int)(control.m_nAsciiLeft + control.m_nAsciiWidth)
				: nAddress + (3 * c.nExpected - 1) * m_cell.cx;
			EXPECT_EQ((UINT)std::max(0, nText - c.cx), control.m_nMaxHScrollPos);
		}
	}
}

TEST_F(HexEditTest, RowsCountWholeAndPartialRows)
{
	struct Case { int cy; UINT nFull, nLast, nVisible; } cases[] = {
		{ 6 * m_cell.cy + 4, 6, 4, 7 }, { 6 * m_cell.cy, 6, (UINT)m_cell.cy, 6 }, { m_cell.cy - 1, 0, (UINT)m_cell.cy - 1, 1 },
	};
	for (const Case& c : cases)
	{
		CHexEditProbe control;
		Create(control, 800, c.cy, 65536);
		EXPECT_EQ((UINT)m_cell.cy, control.m_nLineHeight);
		EXPECT_EQ((UINT)m_cell.cx, control.m_nCharWidth);
		EXPECT_EQ(c.nFull, control.m_nFullRows) << c.cy;
		EXPECT_EQ(c.nLast, control.m_nLastRowHeight) << c.cy;
		EXPECT_EQ(c.nVisible, control.m_nVisibleRows) << c.cy;
		EXPECT_EQ(4096u - c.nFull, control.m_nMaxTopRow) << c.cy;
		control.SetTopRow(5000, FALSE);
		EXPECT_EQ(4096u - c.nFull, control.m_nTopRow) << c.cy;
	}
}

// The bars show while there is something to scroll, with the range, page and position of the view.
TEST_F(HexEditTest, ScrollBarsShowTheRangeThatScrolls)
{
	CHexEditProbe control;
	Create(control, 200, 6 * m_cell.cy, 65536);
	control.SetTopRow(100, TRUE);
	control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30));
	Pump();
	SCROLLINFO vert = ScrollInfo(control.m_hWnd, SB_VERT), horz = ScrollInfo(control.m_hWnd, SB_HORZ);
	EXPECT_EQ(std::vector<int>({ 0, 4095, (int)control.m_nFullRows, 100 }),
		std::vector<int>({ vert.nMin, vert.nMax, (int)vert.nPage, vert.nPos }));
	const int nText = (int)(control.m_nAsciiLeft + control.m_nAsciiWidth), cxText = control.m_rcText.Width();
	EXPECT_EQ(nText - cxText, (int)control.m_nMaxHScrollPos);
	EXPECT_EQ(std::vector<int>({ 0, nText - 1, cxText, 30 }), std::vector<int>({ horz.nMin, horz.nMax, (int)horz.nPage, horz.nPos }));
	EXPECT_EQ((DWORD)(WS_VSCROLL | WS_HSCROLL), control.GetStyle() & (WS_VSCROLL | WS_HSCROLL));

	// Once everything fits, both go; a single-line control never has them.
	control.MoveWindow(0, 0, 900, 700);
	control.SetData(m_data.data(), 20, TRUE);
	Pump();
	EXPECT_EQ(0u, control.GetStyle() & (WS_VSCROLL | WS_HSCROLL));
	CHexEditProbe single;
	Create(single, 200, 3 * m_cell.cy, 100, WS_CHILD | WS_VISIBLE);
	Pump();
	EXPECT_EQ(100u, single.m_nBytesPerRow);
	EXPECT_EQ(CRect(0, 0, 200, 3 * m_cell.cy), single.m_rcText);
	EXPECT_GT(single.m_nMaxHScrollPos, 0u);
	EXPECT_EQ(0u, single.GetStyle() & (WS_VSCROLL | WS_HSCROLL));
}

// Eleven and a half rows of 16 bytes in room for fourteen; 0x80 and above are not printable.
class HexEditPaintTest : public HexEditTest
{
protected:
	void SetUp() override
	{
		HexEditTest::SetUp();
		Create(m_control, 600, 14 * m_cell.cy, 0xB8);
	}

	CRect Strip(int nRow, UINT nLeft, int nCells) const
	{
		return CRect(5 + (int)nLeft, 5 + nRow * m_cell.cy, 5 + (int)nLeft + nCells * m_cell.cx, 5 + (nRow + 1) * m_cell.cy);
	}

	COLORREF Pixel(CPoint pt)
	{
		m_control.UpdateWindow();
		HDC hDC = ::GetDC(m_control.m_hWnd);
		COLORREF cr = ::GetPixel(hDC, pt.x, pt.y);
		::ReleaseDC(m_control.m_hWnd, hDC);
		return cr;
	}

	// The middle of the space after the byte in the given column of the given row.
	CPoint Space(int nRow, int nColumn) const
	{
		return CPoint(5 + (int)m_control.m_nHexLeft + (3 * nColumn + 2) * m_cell.cx + m_cell.cx / 2,
			5 + nRow * m_cell.cy + m_cell.cy / 2);
	}

	CHexEditProbe m_control;
};

TEST_F(HexEditPaintTest, RowsShowAddressDigitsPairsAndPrintableCharacters)
{
	struct Row { int nRow; const char* pszAddress; const char* pszHex; const char* pszAscii; } rows[] = {
		{ 4, "0040", "40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F", "@ABCDEFGHIJKLMNO" },
		{ 7, "0070", "70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F", "pqrstuvwxyz{|}~." },
		{ 10, "00A0", "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF", "................" },
		{ 11, "00B0", "B0 B1 B2 B3 B4 B5 B6 B7", "........" },
	};
	for (const Row& row : rows)
	{
		EXPECT_TRUE(ShowsText(m_control.m_hWnd, Strip(row.nRow, 0, 4), m_control.m_crAddressText, row.pszAddress)) << row.pszAddress;
		EXPECT_TRUE(ShowsText(m_control.m_hWnd, Strip(row.nRow, m_control.m_nHexLeft, 47), m_control.m_crHexText, row.pszHex)) << row.pszHex;
		EXPECT_TRUE(ShowsText(m_control.m_hWnd, Strip(row.nRow, m_control.m_nAsciiLeft, 16), m_control.m_crAsciiText, row.pszAscii))
			<< row.pszAscii;
	}
	// Scrolled sideways by two cells, everything moves left by two cells.
	m_control.MoveWindow(0, 0, 300, 14 * m_cell.cy + 10);
	m_control.SendMessage(WM_HSCROLL, SB_LINERIGHT);
	m_control.SendMessage(WM_HSCROLL, SB_LINERIGHT);
	EXPECT_TRUE(ShowsText(m_control.m_hWnd, Strip(4, m_control.m_nHexLeft - 2 * m_cell.cx, 12), m_control.m_crHexText, "40 41 42 43"));
	m_control.SetAddressSize(6, TRUE);
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0));
	EXPECT_TRUE(ShowsText(m_control.m_hWnd, Strip(10, 0, 6), m_control.m_crAddressText, "0000A0"));
}

// Column backgrounds, the gaps between them, the selection by focus and mode; no erasing.
TEST_F(HexEditPaintTest, ColoursOfColumnsGapsAndSelection)
{
	const int yBelow = 5 + 13 * m_cell.cy;
	struct Case { int x; COLORREF cr; } cases[] = {
		{ 2, RGB(210, 210, 210) }, { 7, RGB(90, 0, 0) }, { 5 + (int)m_control.m_nAddressWidth - 3, RGB(210, 210, 210) },
		{ 7 + (int)m_control.m_nHexLeft, RGB(180, 210, 190) }, { 5 + (int)m_control.m_nAsciiLeft - 3, RGB(210, 210, 210) },
		{ 7 + (int)m_control.m_nAsciiLeft, RGB(0, 20, 0) },
	};
	for (const Case& c : cases)
		EXPECT_EQ(c.cr, Pixel(CPoint(c.x, yBelow))) << c.x;

	m_control.SetSelection(0x45, 0x54, FALSE, TRUE);
	m_control.SetFocus();
	EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), Pixel(Space(4, 5)));
	EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), Pixel(Space(5, 3)));
	EXPECT_EQ(RGB(180, 210, 190), Pixel(Space(4, 4)));
	EXPECT_EQ(RGB(180, 210, 190), Pixel(Space(5, 4)));
	m_parent.SetFocus();
	EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), Pixel(Space(4, 5)));

	HDC hDC = ::GetDC(m_control.m_hWnd);
	::SetPixel(hDC, 2, 2, RGB(1, 2, 3));
	EXPECT_EQ(1, m_control.SendMessage(WM_ERASEBKGND, (WPARAM)hDC));
	EXPECT_EQ(RGB(1, 2, 3), ::GetPixel(hDC, 2, 2));
	::ReleaseDC(m_control.m_hWnd, hDC);

	// Without data only the background shows.
	m_control.SetData(m_data.data(), 0, TRUE);
	for (int x : { 7, 7 + (int)m_control.m_nHexLeft, 7 + (int)m_control.m_nAsciiLeft })
		EXPECT_EQ(RGB(210, 210, 210), Pixel(CPoint(x, 5 + m_cell.cy / 2))) << x;

	// In single-line mode a selection shows only while the control has the focus.
	CHexEditProbe single;
	Create(single, 400, 2 * m_cell.cy, 8, WS_CHILD | WS_VISIBLE);
	::SetWindowPos(single.m_hWnd, NULL, 0, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
	single.SetSelection(1, 3, FALSE, FALSE);
	const int x = (int)single.m_nHexLeft + 5 * m_cell.cx + m_cell.cx / 2;
	single.UpdateWindow();
	hDC = ::GetDC(single.m_hWnd);
	EXPECT_EQ(RGB(180, 210, 190), ::GetPixel(hDC, x, m_cell.cy / 2));
	single.SetFocus();
	single.UpdateWindow();
	EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), ::GetPixel(hDC, x, m_cell.cy / 2));
	::ReleaseDC(single.m_hWnd, hDC);
}
