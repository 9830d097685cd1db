// The hex control's model, windows, layout, scroll bars and painting.
#include "HexEditTest.h"
#include <afxres.h>
#include <memory>

static HGDIOBJ WINAPI NoStockObject(int) { return NULL; }
static ATOM WINAPI NoClass(const WNDCLASSA*) { return 0; }

// Fonts must be fixed-pitch and are copied; text is drawn in the copy. The data is copied anew by
// each call. Without its font or its window classes a control cannot be made, and says so as the runtime does.
TEST_F(HexEditTest, FontsAndDataAndAControlWithoutItsFontIsNotMade)
{
	CHexEditProbe control;
	Create(control, 300, 200, 0);
	HFONT hFixed = ::CreateFont(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, FIXED_PITCH | FF_MODERN, _T("Courier New"));
	const CSize cellFixed = StockFontCell(hFixed);
	control.SendMessage(WM_SETFONT, (WPARAM)hFixed, TRUE);
	EXPECT_TRUE(IsInvalid(control.m_hWnd) && control.m_bLayoutDirty);
	const LRESULT lCopy = control.SendMessage(WM_GETFONT);
	HFONT hProportional = ::CreateFont(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, _T("Arial"));
	HFONT hDefault = ::CreateFont(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DEFAULT_PITCH, _T("Courier New"));  // fixed only by chance
	control.UpdateWindow();  // laid out, and nothing left to paint
	for (HGDIOBJ hObject : { (HGDIOBJ)hProportional, (HGDIOBJ)hDefault, ::GetStockObject(WHITE_BRUSH), (HGDIOBJ)NULL })
		control.SendMessage(WM_SETFONT, (WPARAM)hObject, FALSE);
	// Refused, a null handle too: the copy stays, yet the layout is due again; without the redraw flag nothing is repainted.
	EXPECT_EQ(std::make_tuple(lCopy, true, false), std::make_tuple(control.SendMessage(WM_GETFONT), control.m_bLayoutDirty, IsInvalid(control.m_hWnd)));
	for (HFONT hFont : { hProportional, hDefault, hFixed })
		::DeleteObject(hFont);
	LOGFONT lf = {};
	ASSERT_EQ((int)sizeof(lf), ::GetObject((HFONT)lCopy, sizeof(lf), &lf));
	control.SetShowAscii(0x100, FALSE);  // a flag counts by its low byte

	std::vector<BYTE> source = { 1, 2, 3, 4, 5 };
	control.SetData(source.data(), 5, FALSE);
	control.SetData(source.data(), 5, TRUE);
	source[0] = 99;
	EXPECT_TRUE(ShowsText(control.m_hWnd, CRect(10 + 4 * cellFixed.cx, 5, 10 + 18 * cellFixed.cx + 1, 5 + cellFixed.cy), RGB(0, 0, 255), "01 02 03 04 05", (HGDIOBJ)lCopy));
	EXPECT_EQ(std::make_tuple(-13L, cellFixed.cy, 0u), std::make_tuple(lf.lfHeight, (LONG)control.m_nLineHeight, control.m_nAsciiWidth));

	// A control made from its runtime class is created under the class named.
	std::unique_ptr<CObject> pMade(RUNTIME_CLASS(CHexEditBase)->CreateObject());
	CHexEditBase* pNamed = DYNAMIC_DOWNCAST(CHexEditBase, pMade.get());
	ASSERT_TRUE(pNamed != NULL && pNamed->Create(_T("CHexEditBase"), NULL, WS_CHILD, CRect(0, 0, 9, 9), &m_parent, 5));
	char szClass[16] = "";
	EXPECT_EQ(std::make_pair((CWnd*)pNamed, std::string("CHexEditBase")), std::make_pair(CWnd::FromHandlePermanent(::GetDlgItem(m_parent.m_hWnd, 5)),
		std::string(szClass, ::GetClassNameA(pNamed->m_hWnd, szClass, sizeof(szClass)))));
	pNamed->DestroyWindow();
	// A self-creating window is a control as new: it wants every key, keeps no text and, with no parent, takes a digit.
	HWND hSelf = ::CreateWindowEx(0, _T("CHexEditBase_SC"), _T("text"), WS_POPUP, 0, 0, 9, 9, NULL, NULL, AfxGetInstanceHandle(), NULL);
	CHexEditBase* pSelf = DYNAMIC_DOWNCAST(CHexEditBase, CWnd::FromHandlePermanent(hSelf));
	ASSERT_TRUE(pSelf != NULL && pSelf->SendMessage(WM_GETDLGCODE) == DLGC_WANTALLKEYS && pSelf->SendMessage(WM_GETFONT) == (LRESULT)::GetStockObject(OEM_FIXED_FONT) && ::GetWindowTextLength(hSelf) == 0);
	pSelf->SetData(source.data(), 5, FALSE);
	EXPECT_EQ(0, pSelf->SendMessage(WM_CHAR, '5'));
	pSelf->DestroyWindow();
	WNDCLASS wc = {};  // real double clicks, the I-beam, no brush, icon or menu
	for (LPCTSTR pszClass : { _T("CHexEditBase"), _T("CHexEditBase_SC") })
		EXPECT_TRUE(::GetClassInfo(AfxGetInstanceHandle(), pszClass, &wc) && wc.style == 0xB && wc.hCursor == ::LoadCursor(NULL, IDC_IBEAM) && !wc.hbrBackground && !wc.hIcon && !wc.lpszMenuName) << pszClass;
	// A subclassed window keeps its own procedure for what the control leaves alone. A new control has no selection.
	ASSERT_TRUE(m_control.SubclassWindow(::CreateWindowEx(0, _T("Edit"), NULL, WS_CHILD, 0, 0, 9, 9, m_parent.m_hWnd, NULL, NULL, NULL)));
	m_control.SendMessage(EM_LIMITTEXT, 5);
	EXPECT_EQ(std::make_pair((LRESULT)5, FALSE), std::make_pair(m_control.SendMessage(EM_GETLIMITTEXT), m_control.HasSelection()));
	{  // the font is made first: without it, the classes, still registered, would not fail the control
		CImportPatch noFont("afx.dll", "gdi32.dll", "GetStockObject", (FARPROC)NoStockObject);
		try { CHexEditProbe made; ADD_FAILURE() << "made without a font"; } catch (CResourceException* e) { e->Delete(); }
	}
	control.DestroyWindow();  // the classes go once no window has them
	for (LPCTSTR pszClass : { _T("CHexEditBase"), _T("CHexEditBase_SC") })
		::UnregisterClass(pszClass, AfxGetInstanceHandle());
	CImportPatch noClass("afx.dll", "user32.dll", "RegisterClassA", (FARPROC)NoClass);
	try { CHexEditProbe made; ADD_FAILURE() << "made without its window classes"; } catch (CResourceException* e) { e->Delete(); }
}

// The widest row whose text fits: four cells a byte with the ASCII column, three without, less
// the last byte's space; the ASCII gap counts once. Narrower than the address: one byte a row.
// Whole rows, a partial row below them, and the last top row that still fills the view. A
// single-line control keeps all its bytes in one row, in the whole client area, and never has
// scroll bars; the random test holds a multi-line control's bars to its layout.
TEST_F(HexEditTest, AutoFitTakesTheWidestRowAndRowsCountWholeAndPartialAndSingleLineKeepsOneRow)
{
	const int nAddress = 4 * m_cell.cx + 5;
	for (UINT n : { 5, 21 })
	{
		const int cxAscii = nAddress + 5 + (4 * n - 1) * m_cell.cx, cxHex = nAddress + (3 * n - 1) * m_cell.cx;
		struct Case { int cx; BOOL bAscii; UINT nBytes; } cases[] = {
			{ cxAscii, TRUE, n }, { cxAscii - 1, TRUE, n - 1 }, { cxHex, FALSE, n }, { cxHex - 1, FALSE, n - 1 }, { nAddress - 1, TRUE, 1 },
		};
		for (const Case& c : cases)
		{
			CHexEditProbe control;
			Create(control, c.cx, 3 * m_cell.cy, 64);
			control.SetShowAscii(c.bAscii, FALSE);
			control.SetBytesPerRow(16, TRUE, FALSE);
			EXPECT_EQ(std::make_pair(c.nBytes, c.cx < nAddress), std::make_pair(control.m_nBytesPerRow, control.m_nMaxHScrollPos != 0))
				<< "width " << c.cx << " ascii " << c.bAscii;
		}
	}
	struct Rows { int cy; UINT nFull, nVisible; } rows[] = { { 6 * m_cell.cy + 4, 6, 7 }, { 6 * m_cell.cy, 6, 6 }, { m_cell.cy - 1, 0, 1 },
		{ -4, 0, 0 } };  // a window lower than its margins has no rows, not a negative height
	for (const Rows& c : rows)
	{
		CHexEditProbe control;
		Create(control, 800, c.cy, 65536);
		control.SetTopRow(5000, FALSE);
		EXPECT_EQ(std::vector<UINT>({ c.nFull, c.nVisible, 4096 - c.nFull, 4096 - c.nFull }),
			std::vector<UINT>({ control.m_nFullRows, control.m_nVisibleRows, control.m_nMaxTopRow, control.m_nTopRow })) << c.cy;
	}
	CHexEditProbe single;
	Create(single, 200, 3 * m_cell.cy, 100, WS_CHILD | WS_VISIBLE);
	MSG msg = {};  // the layout posts its request for the bars: 0x5400, both parameters 0
	EXPECT_TRUE(::PeekMessage(&msg, single.m_hWnd, 0x5400, 0x5400, PM_NOREMOVE) && msg.wParam == 0 && msg.lParam == 0);
	PumpMessages();
	EXPECT_EQ(std::vector<UINT>({ 100, 0, 0, 200, 3 * (UINT)m_cell.cy, 1 }), std::vector<UINT>({ single.m_nBytesPerRow,
		single.m_nMaxTopRow, (UINT)(single.GetStyle() & (WS_VSCROLL | WS_HSCROLL)), (UINT)single.m_rcText.Width(),
		(UINT)single.m_rcText.Height(), single.m_nMaxHScrollPos > 0 }));
}

// Eleven and a half rows of 16 bytes in room for fourteen; 0x80 and above are not printable.
class HexEditPaintTest : public HexEditTest
{
protected:
	void SetUp() override { HexEditTest::SetUp(); Create(m_control, 600, 14 * m_cell.cy, 0xB8); }

	bool Shows(int nRow, UINT nLeft, COLORREF crText, const char* pszText, bool bToEdge = false)  // or as far as the drawing reaches
	{
		const int x = 5 + (int)nLeft - (int)m_control.m_nHScrollPos, y = 5 + nRow * m_cell.cy;
		return ShowsText(m_control.m_hWnd, CRect(x, y, bToEdge ? m_control.m_rcText.right + 2 : x + (int)std::strlen(pszText) * m_cell.cx + 1, y + m_cell.cy), crText, pszText);
	}

	COLORREF Pixel(int x, int y)
	{
		m_control.UpdateWindow();
		CClientDC dc(&m_control);
		return ::GetPixel(dc.m_hDC, x, y);
	}

	// A pixel, the middle one unless given, across the space after the byte in the given column of the given row.
	COLORREF Space(int nRow, int nColumn, int nPixel = -1)
		{ return Pixel(5 + (int)m_control.m_nHexLeft + (3 * nColumn + 2) * m_cell.cx + (nPixel < 0 ? m_cell.cx / 2 : nPixel), 5 + nRow * m_cell.cy + m_cell.cy / 2); }
};

TEST_F(HexEditPaintTest, RowsShowAddressDigitsPairsAndPrintableCharacters)
{
	const COLORREF crAddress = RGB(255, 0, 0), crHex = RGB(0, 0, 255), crAscii = RGB(0, 255, 0);
	struct Row { int nRow; const char* pszAddress; const char* pszHex; const char* pszAscii; } rows[] = {
		{ 1, "0010", "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F", "................" },
		{ 2, "0020", "20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F", " !\"#$%&'()*+,-./" },
		{ 4, "0040", "40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F", "@ABCDEFGHIJKLMNO" },
		{ 7, "0070", "70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F", "pqrstuvwxyz{|}~." },
		{ 10, "00A0", "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF", "................" },
		{ 11, "00B0", "B0 B1 B2 B3 B4 B5 B6 B7                        ", "........        " },
	};
	for (const Row& row : rows)
	{
		EXPECT_EQ(std::make_tuple(true, true, true), std::make_tuple(Shows(row.nRow, 0, crAddress, row.pszAddress),
			Shows(row.nRow, m_control.m_nHexLeft, crHex, row.pszHex), Shows(row.nRow, m_control.m_nAsciiLeft, crAscii, row.pszAscii))) << row.pszHex;
	}
	// Column backgrounds run the full height, below the last row too, with gaps of the control's background.
	const COLORREF crBk = RGB(210, 210, 210), crAddressBk = RGB(90, 0, 0), crHexBk = RGB(180, 210, 190);
	const int y = 5 + 13 * m_cell.cy, xHex = 5 + (int)m_control.m_nHexLeft, xAscii = 5 + (int)m_control.m_nAsciiLeft;
	EXPECT_EQ(std::vector<COLORREF>({ crAddressBk, crBk, crHexBk, crBk, RGB(0, 20, 0), crBk }), std::vector<COLORREF>({ Pixel(5, y),
		Pixel(xHex - 5, y), Pixel(xHex, y), Pixel(xAscii - 5, y), Pixel(xAscii, y), Pixel(xAscii + (int)m_control.m_nAsciiWidth, y) }));
	// Scrolled sideways, everything moves left. Addresses take the digits asked for, 0 to 255, with
	// leading zeros, and the first digits where there are too few; eight unless told otherwise.
	m_control.MoveWindow(0, 0, 300, 14 * m_cell.cy + 10);
	m_control.SendMessage(WM_HSCROLL, SB_LINERIGHT);
	m_control.SendMessage(WM_HSCROLL, SB_LINERIGHT);
	const int yLow = m_control.m_rcText.bottom - 1, xRight = m_control.m_rcText.right;  // drawn 2 pixels into the margins
	EXPECT_EQ(std::vector<COLORREF>({ crBk, crAddressBk, crHexBk, crBk }),
		std::vector<COLORREF>({ Pixel(2, yLow), Pixel(3, yLow), Pixel(xRight + 1, yLow), Pixel(xRight + 2, yLow) }));
	m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 999));
	EXPECT_TRUE(Shows(4, m_control.m_nAsciiLeft, crAscii, "@ABCDEFGHIJKLMNO"));
	struct Digits { BYTE nDigits; int nCells; const char* pszShown; } digits[] = { { 4, 2, "A0" }, { 6, 0, "0000A0" }, { 1, 0, "A" }, { 0, 0, "" }, { 255, 251, "00A0" } };
	for (const Digits& c : digits)
	{
		m_control.SetAddressSize(c.nDigits, TRUE);
		m_control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, c.nCells * m_cell.cx));  // to the last shown
		EXPECT_TRUE(Shows(10, c.nCells * m_cell.cx, crAddress, c.pszShown) && Shows(10, c.nDigits * m_cell.cx + 5, crHex, rows[4].pszHex, true)) << c.nDigits;
	}
	CHexEditProbe fresh;  // made without an address size or columns; its data and row width come before its window
	fresh.SetData(m_data.data(), 32, FALSE);
	fresh.SetBytesPerRow(8, FALSE, TRUE);
	ASSERT_TRUE(fresh.Create(NULL, WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 400, 100), &m_parent, 1));
	EXPECT_TRUE(ShowsText(fresh.m_hWnd, CRect(5, 5 + m_cell.cy, 5 + 23 * m_cell.cx + 1, 5 + 2 * m_cell.cy), crHex, "08 09 0A 0B 0C 0D 0E 0F")
		&& fresh.m_nAsciiWidth == 0);
	fresh.SetShowAddress(TRUE, TRUE);
	EXPECT_TRUE(ShowsText(fresh.m_hWnd, CRect(5, 5 + m_cell.cy, 5 + 8 * m_cell.cx, 5 + 2 * m_cell.cy), crAddress, "00000008"));
}

// The selection shows in the highlight colour with the focus and in the face colour without it,
// in single-line mode only with the focus; its fill ends a pixel past the last digit. Erasing is left to the paint.
TEST_F(HexEditPaintTest, SelectionColoursByFocusAndMode)
{
	const COLORREF crHexBk = RGB(180, 210, 190), crFocus = ::GetSysColor(COLOR_HIGHLIGHT), crChanged = RGB(1, 2, 3);
	const int nHighlight = COLOR_HIGHLIGHT;  // changed after the control is made, which keeps the colour it found
	::SetSysColors(1, &nHighlight, &crChanged);
	m_control.SetSelection(0x45, 0x54, FALSE, TRUE);
	m_control.SetFocus();
	EXPECT_EQ(std::vector<COLORREF>({ crFocus, crFocus, crHexBk, crFocus, crHexBk }),
		std::vector<COLORREF>({ Space(4, 5), Space(5, 3), Space(4, 4), Space(5, 4, 0), Space(5, 4, 1) }));
	::SetSysColors(1, &nHighlight, &crFocus);
	// The fill starts a pixel below the row, under digits in the highlight's text colour; the ASCII column shows no selection.
	const int xSpace = 5 + (int)m_control.m_nHexLeft + 17 * m_cell.cx, yRow = 5 + 4 * m_cell.cy;
	EXPECT_TRUE(Pixel(xSpace, yRow) == crHexBk && Pixel(xSpace, yRow + 1) == crFocus && Pixel(5 + (int)m_control.m_nAsciiLeft + 5 * m_cell.cx, yRow)
		== RGB(0, 20, 0) && Shows(4, m_control.m_nHexLeft + 15 * m_cell.cx, ::GetSysColor(COLOR_HIGHLIGHTTEXT), "45 46"));
	m_parent.SetFocus();
	EXPECT_TRUE(Space(4, 5) == ::GetSysColor(COLOR_BTNFACE) && Shows(4, m_control.m_nHexLeft + 15 * m_cell.cx, ::GetSysColor(COLOR_WINDOWTEXT), "45 46"));
	CClientDC dc(&m_control);
	::SetPixel(dc.m_hDC, 2, 2, RGB(1, 2, 3));
	EXPECT_TRUE(m_control.SendMessage(WM_ERASEBKGND, (WPARAM)dc.m_hDC) == 1 && ::GetPixel(dc.m_hDC, 2, 2) == RGB(1, 2, 3));

	m_control.DestroyWindow();
	Create(m_control, 400, 2 * m_cell.cy, 8, WS_CHILD | WS_VISIBLE);
	m_control.SetSelection(1, 3, FALSE, FALSE);
	const int x = (int)m_control.m_nHexLeft + 5 * m_cell.cx + m_cell.cx / 2;
	EXPECT_EQ(crHexBk, Pixel(x, m_cell.cy / 2));
	m_control.SetFocus();
	EXPECT_EQ(crFocus, Pixel(x, m_cell.cy / 2));
}

// Whatever an action changes, it repaints: the screen then shows what a full repaint shows, in
// both modes, with the focus and without it. A setting given what it holds repaints nothing; the
// address size repaints all the same, and so does read-only, which leaves the picture as it was.
TEST_F(HexEditTest, EveryActionRepaintsWhatItChangesAndSettersRepaintOnlyThat)
{
	for (DWORD dwStyle : { WS_CHILD | WS_VISIBLE | ES_MULTILINE, WS_CHILD | WS_VISIBLE })
	{
		CHexEditProbe control;
		Create(control, 300, 8 * m_cell.cy, 0x300, dwStyle);
		auto Key = [&control](UINT nKey) { control.SendMessage(WM_KEYDOWN, nKey, 1); };
		auto Mouse = [&control](UINT nMsg, int x, int y) { control.SendMessage(nMsg, MK_LBUTTON, MAKELPARAM(x, y)); };
		const std::pair<const char*, std::function<void()>> actions[] = {
			{ "focus", [&] { control.SetFocus(); } }, { "right", [&] { Key(VK_RIGHT); } }, { "down", [&] { Key(VK_DOWN); } },
			{ "shift+right", [&] { SetKeyDown(VK_SHIFT, true), Key(VK_RIGHT), Key(VK_NEXT), SetKeyDown(VK_SHIFT, false); } },
			{ "end", [&] { Key(VK_END); } }, { "home", [&] { Key(VK_HOME); } }, { "digit", [&] { control.SendMessage(WM_CHAR, '5'); } },
			{ "click", [&] { m_parent.SetFocus(); Mouse(WM_LBUTTONDOWN, 90, 30); EXPECT_EQ(control.m_hWnd, ::GetFocus()); } },
			{ "drag below", [&] { Mouse(WM_MOUSEMOVE, 150, 8 * m_cell.cy + 40); } },
			{ "tick after a key", [&] { Key(VK_LEFT), control.UpdateWindow(), control.SendMessage(WM_TIMER, 1024), control.SendMessage(WM_TIMER, 1024); } },
			{ "release", [&] { Mouse(WM_LBUTTONUP, 150, 60); } },
			{ "double click", [&] { Mouse(WM_LBUTTONDBLCLK, 60, 20); } },  // with the focus kept, whose change would repaint too
			{ "wheel", [&] { EXPECT_EQ(TRUE, control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA))); } },
			{ "line down", [&] { control.SendMessage(WM_VSCROLL, SB_LINEDOWN); } },
			{ "line right", [&] { control.SendMessage(WM_HSCROLL, SB_LINERIGHT); } },
			{ "select all", [&] { control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL); } },
			{ "paste", [&] { PutBlock(kBinaryData, std::string("\2\0\0\0\xAA\xBB", 6)), control.SetSelection(40, 40, FALSE, FALSE);
				control.SendMessage(WM_COMMAND, ID_EDIT_PASTE); } },
			{ "selection", [&] { control.SetSelection(3, 9, TRUE, TRUE); } },
			{ "bytes a row", [&] { control.SetBytesPerRow(8, FALSE, TRUE); } }, { "address", [&] { control.SetAddressSize(6, TRUE); } },
			{ "ascii", [&] { control.SetShowAscii(FALSE, TRUE); } },
			{ "the same settings", [&] {
				const std::vector<DWORD> before = Screen(control);
				control.SetBytesPerRow(8, FALSE, TRUE), control.SetShowAddress(TRUE, TRUE), control.SetShowAscii(FALSE, TRUE), control.SetSelection(3, 9, FALSE, TRUE);
				EXPECT_FALSE(IsInvalid(control.m_hWnd));
				control.SetAddressSize(6, TRUE);
				EXPECT_TRUE(IsInvalid(control.m_hWnd));
				::ValidateRect(control.m_hWnd, NULL);
				control.SetReadOnly(TRUE, TRUE);
				EXPECT_TRUE(IsInvalid(control.m_hWnd) && before == Screen(control)); } },
			{ "data", [&] { control.SetData(m_data.data() + 1, 0x200, TRUE); } },
			{ "size", [&] { control.MoveWindow(0, 0, 250, 6 * m_cell.cy); } }, { "unfocus", [&] { m_parent.SetFocus(); } },
		};
		for (const auto& action : actions)
		{
			action.second();
			const std::vector<DWORD> shown = Screen(control);
			control.InvalidateRect(NULL, FALSE);
			EXPECT_TRUE(shown == Screen(control)) << action.first << ", style " << dwStyle;
		}
	}
}
