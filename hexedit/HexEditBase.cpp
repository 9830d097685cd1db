#include "HexEditBase.h"
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

static const TCHAR s_szClassName[] = _T("CHexEditBase");
static const TCHAR s_szSelfCreatingClassName[] = _T("CHexEditBase_SC");
static const UINT NONE = 0xFFFFFFFF;

// Flag arguments count by their low byte.
static bool LowByte(BOOL bFlag)
{
	return (BYTE)bFlag != 0;
}

IMPLEMENT_DYNCREATE(CHexEditBase, CWnd)

static const UINT_PTR AUTOSCROLL_TIMER = 1024;
static const UINT AUTOSCROLL_INTERVAL = 5;
static const int GAP = 5;          // between columns, and the multi-line margin
static const UINT DRAW_FLAGS = DT_SINGLELINE | DT_NOPREFIX;
static const char s_szDigits[] = "0123456789ABCDEF";
static const UINT COPY_FLAGS = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;
static const UINT MENU_GRAYED = MF_GRAYED | MF_DISABLED;
// The largest column width or scroll range: every sum of two stays within an int, as window
// coordinates and SCROLLINFO need, whatever bytes per row a caller asks for.
static const long long MAX_EXTENT = 0x3FFFFFFF;

static UINT Extent(long long nPixels)
{
	return (UINT)std::min(nPixels, MAX_EXTENT);
}

BEGIN_MESSAGE_MAP(CHexEditBase, CWnd)
	ON_MESSAGE(WM_HEXEDIT_UPDATESCROLLBARS, &CHexEditBase::OnUpdateScrollBars)
	ON_MESSAGE(WM_CHAR, &CHexEditBase::OnChar)
	ON_MESSAGE(WM_SETFONT, &CHexEditBase::OnSetFont)
	ON_MESSAGE(WM_GETFONT, &CHexEditBase::OnGetFont)
	ON_WM_DESTROY()
	ON_WM_TIMER()
	ON_WM_KILLFOCUS()
	ON_WM_PAINT()
	ON_WM_SETFOCUS()
	ON_WM_SIZE()
	ON_WM_VSCROLL()
	ON_WM_HSCROLL()
	ON_WM_GETDLGCODE()
	ON_WM_ERASEBKGND()
	ON_WM_LBUTTONDOWN()
	ON_WM_LBUTTONDBLCLK()
	ON_WM_MOUSEMOVE()
	ON_WM_LBUTTONUP()
	ON_WM_KEYDOWN()
	ON_WM_MOUSEWHEEL()
	ON_WM_CONTEXTMENU()
	ON_COMMAND(ID_EDIT_COPY, &CHexEditBase::OnEditCopy)
	ON_COMMAND(ID_EDIT_PASTE, &CHexEditBase::OnEditPaste)
	ON_COMMAND(ID_EDIT_SELECT_ALL, &CHexEditBase::OnEditSelectAll)
END_MESSAGE_MAP()

CHexEditBase::CHexEditBase()
	: m_bAutoDelete(false), m_bFreeData(true), m_nFullRows(0), m_nLastRowHeight(0), m_nVisibleRows(0),
	  m_nLineHeight(0), m_nCharWidth(0), m_nBytesPerRow(0), m_nHexLeft(0), m_nHexWidth(0),
	  m_nAsciiLeft(0), m_nAsciiWidth(0), m_nAddressLeft(0), m_nAddressWidth(0), m_rcText(),
	  m_pData(NULL), m_nRequestedBytesPerRow(16), m_nAddressDigits(8), m_nSelStart(NONE),
	  m_nSelEnd(NONE), m_nEditPos(0), m_nCaretHeight(0), m_nLength(0), m_nTopRow(0), m_nMaxTopRow(0),
	  m_nHScrollPos(0), m_nMaxHScrollPos(0), m_nCaretWidth(0), m_nSelAnchor(NONE), m_cfBinaryData(0),
	  m_bLayoutDirty(true), m_bCaretCreated(false), m_bHighNibble(true), m_bAutoBytesPerRow(false),
	  m_bShowAddress(false), m_bShowAscii(false), m_bReadOnly(false),
	  m_crAddressBk(RGB(90, 0, 0)), m_crAddressText(RGB(255, 0, 0)), m_crAsciiBk(RGB(0, 20, 0)),
	  m_crAsciiText(RGB(0, 255, 0)), m_crHexText(RGB(0, 0, 255)), m_crHexBk(RGB(180, 210, 190)),
	  m_crBackground(RGB(210, 210, 210)), m_crSelTextNoFocus(0), m_crSelBkNoFocus(0),
	  m_crSelTextFocus(0), m_crSelBkFocus(0), m_strCopy(_T("Copy")), m_strPaste(_T("Paste")),
	  m_rcDragThreshold(), m_ptAutoScroll(), m_nAutoScrollDir(0), m_wAutoScrollDelay(0),
	  m_wAutoScrollCountdown(0), m_bAutoScrolling(false)
{
	m_crSelTextNoFocus = ::GetSysColor(COLOR_WINDOWTEXT);
	m_crSelBkNoFocus = ::GetSysColor(COLOR_BTNFACE);
	m_crSelTextFocus = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
	m_crSelBkFocus = ::GetSysColor(COLOR_HIGHLIGHT);
	if (!m_font.CreateStockObject(OEM_FIXED_FONT))
		AfxThrowResourceException();
	m_cfBinaryData = ::RegisterClipboardFormat(_T("BinaryData"));
	RegisterWindowClasses();
}

CHexEditBase::~CHexEditBase()
{
	if (m_bFreeData)
		delete[] m_pData;
	m_font.DeleteObject();
	// Destroying the window from here must not delete this object a second time.
	m_bAutoDelete = false;
	if (m_hWnd != NULL && ::IsWindow(m_hWnd))
		DestroyWindow();
}

void CHexEditBase::RegisterWindowClasses()
{
	static const LPCTSTR s_apszNames[] = { s_szClassName, s_szSelfCreatingClassName };
	static const WNDPROC s_apfnProcs[] = { ::DefWindowProc, SelfCreatingWndProc };
	HINSTANCE hInstance = AfxGetInstanceHandle();
	for (int i = 0; i < 2; ++i)
	{
		WNDCLASS wndcls;
		if (::GetClassInfo(hInstance, s_apszNames[i], &wndcls))
			continue;
		wndcls = WNDCLASS();
		wndcls.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
		wndcls.lpfnWndProc = s_apfnProcs[i];
		wndcls.hInstance = hInstance;
		wndcls.hCursor = ::LoadCursor(NULL, IDC_IBEAM);
		wndcls.lpszClassName = s_apszNames[i];
		if (!AfxRegisterClass(&wndcls))
			AfxThrowResourceException();
	}
}

// Windows of "CHexEditBase_SC" make their own object, which deletes itself with the window.
LRESULT CALLBACK CHexEditBase::SelfCreatingWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	if (nMsg != WM_NCCREATE)
		return ::DefWindowProc(hWnd, nMsg, wParam, lParam);
	try
	{
		CHexEditBase* pControl = new CHexEditBase;
		pControl->m_bAutoDelete = true;
		if (pControl->SubclassWindow(hWnd))
			return TRUE;
		delete pControl;
	}
	catch (CException* e)
	{
		e->Delete();
	}
	catch (...)
	{
	}
	return FALSE;
}

BOOL CHexEditBase::Create(LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
	UINT nID, CCreateContext* pContext)
{
	return CWnd::Create(s_szClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

BOOL CHexEditBase::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
	CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
	return CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext) ? TRUE : FALSE;
}

BOOL CHexEditBase::PreCreateWindow(CREATESTRUCT& cs)
{
	return CWnd::PreCreateWindow(cs);
}

void CHexEditBase::PostNcDestroy()
{
	if (m_bAutoDelete)
	{
		m_bAutoDelete = false;
		delete this;
	}
}

void CHexEditBase::OnDestroy()
{
	CWnd::OnDestroy();
}

void CHexEditBase::Repaint()
{
	if (::IsWindow(m_hWnd))
		InvalidateRect(NULL, TRUE);
}

// A setting that changes the layout: recalculated lazily, caret re-placed, repainted on request.
void CHexEditBase::OnSettingChanged(BOOL bRedraw)
{
	m_bLayoutDirty = true;
	if (!::IsWindow(m_hWnd))
		return;
	SetEditPosition(m_nEditPos, m_bHighNibble);
	if (bRedraw)
		InvalidateRect(NULL, TRUE);
}

void CHexEditBase::SetData(const BYTE* pData, UINT nLength, BOOL bRedraw)
{
	m_nSelAnchor = m_nSelStart = m_nSelEnd = NONE;
	if (m_bFreeData)
		delete[] m_pData;
	// Empty first, so that a failed allocation leaves a consistent control without data.
	m_pData = NULL;
	m_nLength = 0;
	m_bFreeData = pData != NULL;
	BYTE* pCopy = pData != NULL ? new (std::nothrow) BYTE[nLength] : NULL;
	if (pCopy != NULL)
	{
		std::copy(pData, pData + nLength, pCopy);
		m_pData = pCopy;
		m_nLength = nLength;
	}
	// Without its copy the control has no data, and shows none, whatever the caller asked.
	const bool bFailed = pData != NULL && pCopy == NULL;
	m_bLayoutDirty = true;
	if (bRedraw || bFailed)
		Repaint();
	SetEditPosition(0, TRUE);
	if (bFailed)
		AfxThrowMemoryException();
}

BOOL CHexEditBase::HasSelection() const
{
	return m_nSelStart != NONE && m_nSelEnd != NONE;
}

void CHexEditBase::SetBytesPerRow(UINT nBytesPerRow, BOOL bAutoFit, BOOL bRedraw)
{
	if (LowByte(bAutoFit) == m_bAutoBytesPerRow && nBytesPerRow == m_nRequestedBytesPerRow)
		return;
	m_bAutoBytesPerRow = LowByte(bAutoFit);
	m_nRequestedBytesPerRow = nBytesPerRow;
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetShowAddress(BOOL bShow, BOOL bRedraw)
{
	if (LowByte(bShow) == m_bShowAddress)
		return;
	m_bShowAddress = LowByte(bShow);
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetShowAscii(BOOL bShow, BOOL bRedraw)
{
	if (LowByte(bShow) == m_bShowAscii)
		return;
	m_bShowAscii = LowByte(bShow);
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetAddressSize(BYTE nDigits, BOOL bRedraw)
{
	m_nAddressDigits = nDigits;
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetReadOnly(BOOL bReadOnly, BOOL bRedraw)
{
	m_bReadOnly = LowByte(bReadOnly);
	if (bRedraw)
		Repaint();
}

// Each end separately: past the data means the last byte; -1 stays "none".
void CHexEditBase::SetSelection(UINT nBegin, UINT nEnd, BOOL bMakeVisible, BOOL bRedraw)
{
	if (m_nSelEnd == nEnd && m_nSelStart == nBegin)
		return;
	if (nBegin != NONE && nBegin >= m_nLength)
		nBegin = m_nLength - 1;
	if (nEnd != NONE && nEnd >= m_nLength)
		nEnd = m_nLength - 1;
	m_nSelEnd = nEnd;
	m_nSelStart = nBegin;
	if (LowByte(bMakeVisible) && nBegin != NONE && nEnd != NONE)
		EnsureVisible(nBegin, nEnd, FALSE);
	if (bRedraw)
		Repaint();
}

void CHexEditBase::NotifyParent(WORD nCode)
{
	CWnd* pParent = CWnd::FromHandle(::GetParent(m_hWnd));
	if (pParent != NULL)
		pParent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), nCode), (LPARAM)m_hWnd);
}

// Only fixed-pitch fonts are taken, as a copy of our own; otherwise the current font stays.
LRESULT CHexEditBase::OnSetFont(WPARAM wParam, LPARAM lParam)
{
	HFONT hFont = (HFONT)wParam;
	if (hFont != NULL && ::GetObjectType(hFont) == OBJ_FONT)
	{
		LOGFONT lf = {};
		if (::GetObject(hFont, sizeof(lf), &lf) != 0 && (lf.lfPitchAndFamily & 3) == FIXED_PITCH)
		{
			m_font.DeleteObject();
			m_font.CreateFontIndirect(&lf);
		}
	}
	if (m_font.m_hObject == NULL)
		m_font.CreateStockObject(SYSTEM_FIXED_FONT);
	m_bLayoutDirty = true;
	if (lParam != 0)
		Repaint();
	return 0;
}

LRESULT CHexEditBase::OnGetFont(WPARAM, LPARAM)
{
	return (LRESULT)m_font.m_hObject;
}

// ---------------------------------------------------------------------------------------------
// Layout

void CHexEditBase::CalcLayout(CDC* pDC)
{
	m_bLayoutDirty = false;
	CFont* pOldFont = pDC->SelectObject(&m_font);
	int nCharWidth = 0;
	pDC->GetCharWidth('0', '0', &nCharWidth);
	// A font without width or height would divide by zero below; one pixel keeps us safe.
	m_nCharWidth = nCharWidth > 0 ? (UINT)nCharWidth : 1;
	LONG nLineHeight = pDC->GetTextExtent(_T("0"), 1).cy;
	m_nLineHeight = nLineHeight > 0 ? (UINT)nLineHeight : 1;

	GetClientRect(&m_rcText);
	const BOOL bMultiLine = IsMultiLine();
	if (bMultiLine)
	{
		m_rcText.DeflateRect(GAP, GAP);
		if (m_rcText.right < m_rcText.left)
			m_rcText.right = m_rcText.left;
		if (m_rcText.bottom < m_rcText.top)
			m_rcText.bottom = m_rcText.top;
	}

	UINT nHeight = (UINT)m_rcText.Height();
	m_nFullRows = nHeight / m_nLineHeight;
	UINT nRemainder = nHeight % m_nLineHeight;
	m_nLastRowHeight = nRemainder != 0 ? nRemainder : m_nLineHeight;
	m_nVisibleRows = m_nFullRows + (nRemainder != 0 ? 1 : 0);

	m_nAddressLeft = 0;
	m_nAddressWidth = m_bShowAddress ? Extent((long long)m_nAddressDigits * m_nCharWidth + GAP) : 0;

	UINT nBytesPerRow = m_nRequestedBytesPerRow;
	if (m_bAutoBytesPerRow && bMultiLine)
	{
		// The largest count whose text fits: a byte takes four cells with the ASCII column and
		// three without, less the last byte's trailing space; the ASCII gap counts once.
		long long nAvailable = (long long)m_rcText.right - m_nAddressWidth - m_rcText.left;
		UINT nCellsPerByte = m_bShowAscii ? 4 : 3;
		if (m_bShowAscii)
			nAvailable -= GAP;
		if (nAvailable < 0)
			nBytesPerRow = 1;
		else
		{
			long long nUnit = (long long)nCellsPerByte * m_nCharWidth;
			nBytesPerRow = (UINT)(nAvailable / nUnit);
			if (nAvailable % nUnit >= (long long)(nCellsPerByte - 1) * m_nCharWidth)
				++nBytesPerRow;
		}
	}
	if (!bMultiLine)
		nBytesPerRow = m_nLength;
	m_nBytesPerRow = nBytesPerRow != 0 ? nBytesPerRow : 1;

	m_nHexLeft = m_nAddressLeft + m_nAddressWidth;
	m_nHexWidth = Extent((3LL * m_nBytesPerRow - 1) * m_nCharWidth + GAP);
	m_nAsciiLeft = m_bShowAscii ? Extent((long long)m_nHexLeft + m_nHexWidth) : 0;
	m_nAsciiWidth = m_bShowAscii ? Extent((long long)m_nBytesPerRow * m_nCharWidth) : 0;
	long long nTextWidth = m_bShowAscii ? (long long)m_nAsciiLeft + m_nAsciiWidth
		: (long long)m_nHexLeft + (3LL * m_nBytesPerRow - 1) * m_nCharWidth;

	if (pOldFont != NULL)
		pDC->SelectObject(pOldFont);

	unsigned long long nTotalRows = ((unsigned long long)m_nLength + m_nBytesPerRow - 1) / m_nBytesPerRow;
	m_nMaxTopRow = nTotalRows > m_nFullRows ? (UINT)(nTotalRows - m_nFullRows) : 0;
	if (m_nTopRow > m_nMaxTopRow)
		m_nTopRow = m_nMaxTopRow;

	long long nOverhang = nTextWidth - m_rcText.Width();
	m_nMaxHScrollPos = nOverhang > 0 ? Extent(nOverhang) : 0;
	if (m_nHScrollPos > m_nMaxHScrollPos)
		m_nHScrollPos = m_nMaxHScrollPos;

	PostMessage(WM_HEXEDIT_UPDATESCROLLBARS, 0, 0);
}

// Lays the control out now if that is pending; FALSE while there is no window to measure.
BOOL CHexEditBase::EnsureLayout()
{
	if (!::IsWindow(m_hWnd))
		return FALSE;
	if (m_bLayoutDirty)
	{
		CClientDC dc(this);
		CalcLayout(&dc);
	}
	return TRUE;
}

void CHexEditBase::UpdateScrollBars()
{
	if (!IsMultiLine())
		return;
	// The bars are shown and hidden here alone: left to SetScrollInfo, a range that cannot scroll
	// (a text area lower than one row) would hide a bar we just showed, and the resize that follows
	// would show it again, for ever.
	SCROLLINFO info = {};
	info.cbSize = sizeof(info);
	info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
	if (m_nMaxTopRow > 0)
	{
		ShowScrollBar(SB_VERT, TRUE);
		EnableScrollBar(SB_VERT, ESB_ENABLE_BOTH);
		info.nPage = m_nFullRows;
		info.nMax = (int)std::min<long long>((long long)m_nMaxTopRow + m_nFullRows - 1, INT_MAX);
		if (m_nTopRow > m_nMaxTopRow)
			m_nTopRow = m_nMaxTopRow;
		info.nPos = (int)std::min<UINT>(m_nTopRow, INT_MAX);
		SetScrollInfo(SB_VERT, &info, TRUE);
	}
	else
		ShowScrollBar(SB_VERT, FALSE);

	if (m_nMaxHScrollPos > 0)
	{
		EnableScrollBar(SB_HORZ, ESB_ENABLE_BOTH);
		ShowScrollBar(SB_HORZ, TRUE);
		info.nPage = (UINT)m_rcText.Width();
		info.nMax = (int)(m_nMaxHScrollPos + m_rcText.Width() - 1);
		if (m_nHScrollPos > m_nMaxHScrollPos)
			m_nHScrollPos = m_nMaxHScrollPos;
		info.nPos = (int)m_nHScrollPos;
		SetScrollInfo(SB_HORZ, &info, TRUE);
	}
	else
		ShowScrollBar(SB_HORZ, FALSE);
}

LRESULT CHexEditBase::OnUpdateScrollBars(WPARAM, LPARAM)
{
	UpdateScrollBars();
	return 0;
}

// ---------------------------------------------------------------------------------------------
// Painting

BOOL CHexEditBase::OnEraseBkgnd(CDC*)
{
	return TRUE;
}

// One off-screen frame, copied in a single BitBlt: nothing flickers.
void CHexEditBase::OnPaint()
{
	CPaintDC dc(this);
	CRect rcClient;
	GetClientRect(&rcClient);
	if (rcClient.IsRectEmpty())
		return;
	CDC memDC;
	CBitmap bitmap;
	if (!memDC.CreateCompatibleDC(&dc) || !bitmap.CreateCompatibleBitmap(&dc, rcClient.right, rcClient.bottom))
		return;
	CBitmap* pOldBitmap = memDC.SelectObject(&bitmap);
	CFont* pOldFont = memDC.SelectObject(&m_font);
	if (m_bLayoutDirty)
		CalcLayout(&memDC);

	CBrush brBackground(m_crBackground);
	memDC.FillRect(&rcClient, &brBackground);
	CRgn rgnClip;
	rgnClip.CreateRectRgn(m_rcText.left - 2, m_rcText.top, m_rcText.right + 2, m_rcText.bottom);
	memDC.SelectClipRgn(&rgnClip);
	if (m_bShowAddress)
		PaintAddresses(&memDC);
	PaintHexData(&memDC);
	if (m_bShowAscii)
		PaintAsciiData(&memDC);

	dc.BitBlt(0, 0, rcClient.right, rcClient.bottom, &memDC, 0, 0, SRCCOPY);
	memDC.SelectObject(pOldFont);
	memDC.SelectObject(pOldBitmap);
}

// The last byte the visible rows show.
UINT CHexEditBase::LastPaintedByte() const
{
	unsigned long long nLast = ((unsigned long long)m_nTopRow + m_nVisibleRows) * m_nBytesPerRow;
	return nLast < m_nLength - 1ULL ? (UINT)nLast : m_nLength - 1;
}

CRect CHexEditBase::RowRect(LONG nLeft, LONG nRight, UINT nRow) const
{
	LONG nTop = m_rcText.top + (LONG)(nRow * m_nLineHeight);
	return CRect(nLeft, nTop, nRight, nTop + (LONG)m_nLineHeight);
}

void CHexEditBase::PaintAddresses(CDC* pDC)
{
	if (!HasData())
		return;
	LONG nLeft = m_rcText.left + (LONG)m_nAddressLeft - (LONG)m_nHScrollPos;
	CRect rcColumn(nLeft, m_rcText.top, nLeft + (LONG)m_nAddressWidth - GAP, m_rcText.bottom);
	pDC->FillSolidRect(&rcColumn, m_crAddressBk);
	pDC->SetBkMode(OPAQUE);
	pDC->SetTextColor(m_crAddressText);
	pDC->SetBkColor(m_crAddressBk);

	char szFormat[16];
	std::snprintf(szFormat, sizeof(szFormat), "%%0%uX", m_nAddressDigits);
	char szAddress[272];  // room for the largest digit count, 255
	UINT nLast = LastPaintedByte();
	UINT nRow = 0;
	for (unsigned long long nOffset = (unsigned long long)m_nTopRow * m_nBytesPerRow; nOffset <= nLast;
		nOffset += m_nBytesPerRow, ++nRow)
	{
		int nLen = std::snprintf(szAddress, sizeof(szAddress), szFormat, (UINT)nOffset);
		CRect rcRow = RowRect(rcColumn.left, rcColumn.right, nRow);
		pDC->DrawText(szAddress, nLen, &rcRow, DRAW_FLAGS);
	}
}

// The byte columns [*pFirst, *pEnd) of any row that can show between the clip strips, for a
// column nLeft pixels into the text whose bytes take nCells character cells each. Rows are
// built for these alone, so no buffer outgrows the window, whatever the bytes per row.
void CHexEditBase::VisibleColumns(UINT nLeft, UINT nCells, UINT* pFirst, UINT* pEnd) const
{
	const long long nUnit = (long long)nCells * m_nCharWidth;
	const long long nFrom = (long long)m_nHScrollPos - nLeft - 2;
	const long long nTo = nFrom + m_rcText.Width() + 4;
	// One column more on the right, so that a selection's fill reaches past the edge.
	*pFirst = (UINT)std::min<long long>(std::max(0LL, nFrom / nUnit), m_nBytesPerRow);
	*pEnd = (UINT)std::min<long long>(std::max(0LL, nTo / nUnit + 2), m_nBytesPerRow);
}

void CHexEditBase::PaintHexData(CDC* pDC)
{
	if (!HasData())
		return;
	UINT nFirstColumn, nEndColumn;
	VisibleColumns(m_nHexLeft, 3, &nFirstColumn, &nEndColumn);
	std::vector<char> achRow(3 * (size_t)(nEndColumn - nFirstColumn), ' ');
	LONG nLeft = m_rcText.left + (LONG)m_nHexLeft - (LONG)m_nHScrollPos;
	CRect rcColumn(nLeft, m_rcText.top, nLeft + (LONG)m_nHexWidth - GAP, m_rcText.bottom);
	pDC->FillSolidRect(&rcColumn, m_crHexBk);
	pDC->SetBkMode(TRANSPARENT);

	const BOOL bSelection = HasSelection();
	const BOOL bFocus = ::GetFocus() == m_hWnd;
	const BOOL bShowSelection = bSelection && (bFocus || IsMultiLine());
	const COLORREF crSelBk = bFocus ? m_crSelBkFocus : m_crSelBkNoFocus;
	const COLORREF crSelText = bFocus ? m_crSelTextFocus : m_crSelTextNoFocus;
	const LONG nCharWidth = (LONG)m_nCharWidth;
	// Character positions count from the first visible column's first digit.
	const LONG nTextLeft = nLeft + (LONG)(3LL * nFirstColumn * nCharWidth);

	UINT nLast = LastPaintedByte();
	UINT nRow = 0;
	for (unsigned long long nFirst = (unsigned long long)m_nTopRow * m_nBytesPerRow; nFirst <= nLast;
		nFirst += m_nBytesPerRow, ++nRow)
	{
		UINT nEnd = (UINT)std::min<unsigned long long>(nEndColumn, nLast - nFirst + 1);
		if (nEnd <= nFirstColumn)
			continue;
		for (UINT nColumn = nFirstColumn; nColumn < nEnd; ++nColumn)
		{
			BYTE b = m_pData[nFirst + nColumn];
			achRow[3 * (nColumn - nFirstColumn)] = s_szDigits[b >> 4];
			achRow[3 * (nColumn - nFirstColumn) + 1] = s_szDigits[b & 0x0F];
		}
		CRect rcRow = RowRect(nTextLeft, rcColumn.right, nRow);
		pDC->SetTextColor(m_crHexText);
		pDC->DrawText(achRow.data(), 3 * (int)(nEnd - nFirstColumn) - 1, &rcRow, DRAW_FLAGS);

		const unsigned long long nRowFirst = nFirst + nFirstColumn, nRowLast = nFirst + nEnd - 1;
		if (!bShowSelection || m_nSelEnd < nRowFirst || m_nSelStart > nRowLast)
			continue;
		UINT nStartChar = 3 * (UINT)(std::max<unsigned long long>(m_nSelStart, nRowFirst) - nRowFirst);
		UINT nEndChar = 3 * (UINT)(std::min<unsigned long long>(m_nSelEnd, nRowLast) - nRowFirst) + 2;
		CRect rcFill(nTextLeft + (LONG)nStartChar * nCharWidth, rcRow.top + 1,
			nTextLeft + (LONG)nEndChar * nCharWidth + 1, rcRow.bottom);
		pDC->FillSolidRect(&rcFill, crSelBk);
		CRect rcText(rcFill.left, rcRow.top, nTextLeft + (LONG)nEndChar * nCharWidth, rcRow.bottom);
		pDC->SetTextColor(crSelText);
		pDC->SetBkMode(TRANSPARENT);
		pDC->DrawText(achRow.data() + nStartChar, (int)(nEndChar - nStartChar), &rcText, DRAW_FLAGS);
	}
}

void CHexEditBase::PaintAsciiData(CDC* pDC)
{
	if (!HasData())
		return;
	UINT nFirstColumn, nEndColumn;
	VisibleColumns(m_nAsciiLeft, 1, &nFirstColumn, &nEndColumn);
	std::vector<char> achRow(nEndColumn - nFirstColumn, ' ');
	LONG nLeft = m_rcText.left + (LONG)m_nAsciiLeft - (LONG)m_nHScrollPos;
	CRect rcColumn(nLeft, m_rcText.top, nLeft + (LONG)m_nAsciiWidth, m_rcText.bottom);
	pDC->FillSolidRect(&rcColumn, m_crAsciiBk);
	pDC->SetBkMode(OPAQUE);
	pDC->SetTextColor(m_crAsciiText);
	pDC->SetBkColor(m_crAsciiBk);
	const LONG nTextLeft = nLeft + (LONG)((long long)nFirstColumn * m_nCharWidth);

	UINT nLast = LastPaintedByte();
	UINT nRow = 0;
	for (unsigned long long nFirst = (unsigned long long)m_nTopRow * m_nBytesPerRow; nFirst <= nLast;
		nFirst += m_nBytesPerRow, ++nRow)
	{
		UINT nEnd = (UINT)std::min<unsigned long long>(nEndColumn, nLast - nFirst + 1);
		if (nEnd <= nFirstColumn)
			continue;
		for (UINT nColumn = nFirstColumn; nColumn < nEnd; ++nColumn)
		{
			BYTE b = m_pData[nFirst + nColumn];
			achRow[nColumn - nFirstColumn] = std::isprint(b) ? (char)b : '.';
		}
		CRect rcRow = RowRect(nTextLeft, rcColumn.right, nRow);
		pDC->DrawText(achRow.data(), (int)(nEnd - nFirstColumn), &rcRow, DRAW_FLAGS);
	}
}

// ---------------------------------------------------------------------------------------------
// Caret and edit position

void CHexEditBase::SetEditPosition(UINT nPos, BOOL bHighNibble)
{
	m_nEditPos = nPos;
	m_bHighNibble = LowByte(bHighNibble);
	if (!HasData() || !EnsureLayout())
		return;

	unsigned long long nFirstShown = (unsigned long long)m_nTopRow * m_nBytesPerRow;
	unsigned long long nPastShown = ((unsigned long long)m_nTopRow + m_nVisibleRows) * m_nBytesPerRow;
	if (nPos < nFirstShown || nPos >= nPastShown || ::GetFocus() != m_hWnd)
	{
		DestroyEditCaret();
		return;
	}
	UINT nRel = (UINT)(nPos - nFirstShown);
	UINT nRow = nRel / m_nBytesPerRow;
	UINT nColumn = nRel % m_nBytesPerRow;
	int nHeight = (int)(nRow == m_nVisibleRows - 1 ? m_nLastRowHeight : m_nLineHeight);
	long long x = (3LL * nColumn + (m_bHighNibble ? 0 : 1)) * m_nCharWidth - m_nHScrollPos + m_nHexLeft +
		m_rcText.left;
	long long y = (long long)m_nLineHeight * nRow + m_rcText.top + 1;
	long long nWidth = m_nCharWidth;

	// Clipped to the text rectangle and the 2-pixel strips beside it.
	const long long nLeftLimit = m_rcText.left - 2;
	const long long nRightLimit = m_rcText.right;
	if (x + nWidth <= nLeftLimit || x > nRightLimit)
	{
		DestroyEditCaret();
		return;
	}
	if (x < nLeftLimit)
	{
		nWidth = x - m_rcText.left + m_nCharWidth + 2;
		x = nLeftLimit;
	}
	if (x + nWidth > nRightLimit + 2)
		nWidth = nRightLimit - x + 2;
	CreateEditCaret(nHeight - 1, (int)nWidth);
	SetCaretPos(CPoint((int)x, (int)y));
	ShowCaret();
}

void CHexEditBase::CreateEditCaret(int nHeight, int nWidth)
{
	if (m_bCaretCreated && nHeight == m_nCaretHeight && nWidth == m_nCaretWidth)
		return;
	m_nCaretHeight = nHeight;
	m_nCaretWidth = nWidth;
	m_bCaretCreated = true;
	CreateSolidCaret(nWidth, nHeight);
}

// Only a caret of our own is destroyed: the thread's caret may belong to another window.
void CHexEditBase::DestroyEditCaret()
{
	if (!m_bCaretCreated)
		return;
	m_bCaretCreated = false;
	::DestroyCaret();
}

void CHexEditBase::PositionFromPoint(CPoint pt, UINT* pPos, BOOL* pHighNibble)
{
	long long x = (long long)pt.x + m_nHScrollPos + m_nCharWidth / 2 - (IsMultiLine() ? GAP : 0);
	long long y = (long long)pt.y - m_rcText.top;
	y = std::max(0LL, std::min(y, (long long)m_nLineHeight * m_nVisibleRows));
	x = std::max((long long)m_nHexLeft, std::min(x, (long long)m_nHexLeft + m_nHexWidth - GAP));
	x -= m_nHexLeft;
	unsigned long long nRow = (unsigned long long)y / m_nLineHeight;
	unsigned long long nCell = (unsigned long long)x / m_nCharWidth;
	BOOL bHigh = nCell % 3 == 0;
	unsigned long long nPos = nCell / 3 + (m_nTopRow + nRow) * m_nBytesPerRow;
	// No byte at all (a length of 0) keeps position 0.
	if (nPos >= m_nLength)
	{
		nPos = m_nLength != 0 ? m_nLength - 1 : 0;
		bHigh = FALSE;
	}
	*pPos = (UINT)nPos;
	*pHighNibble = bHigh;
}

void CHexEditBase::MoveEditPosition(int nDelta, BOOL bHighNibble)
{
	const bool bShift = ::GetKeyState(VK_SHIFT) < 0;
	if (!HasData())
		return;
	if (!bShift)
		m_nSelAnchor = m_nSelStart = m_nSelEnd = NONE;
	UINT nPos = m_nEditPos;
	BOOL bHigh = bHighNibble;
	if (nDelta > 0)
	{
		if ((unsigned long long)nPos + (unsigned)nDelta >= m_nLength)
		{
			nPos = m_nLength - 1;
			bHigh = FALSE;
		}
		else
			nPos += (UINT)nDelta;
	}
	else if (nDelta < 0)
	{
		unsigned long long nBack = (unsigned long long)(-(long long)nDelta);
		if (nBack > nPos)
		{
			nPos = 0;
			bHigh = TRUE;
		}
		else
			nPos -= (UINT)nBack;
	}
	if (bShift && m_nSelAnchor != NONE)
	{
		m_nSelStart = std::min(m_nSelAnchor, nPos);
		m_nSelEnd = std::max(m_nSelAnchor, nPos);
	}
	EnsureVisible(nPos, nPos, TRUE);
	SetEditPosition(nPos, bHigh);
}

void CHexEditBase::EnsureVisible(UINT nBegin, UINT nEnd, BOOL bRedraw)
{
	if (!EnsureLayout())
		return;
	const long long nBytesPerRow = m_nBytesPerRow;
	const long long nTop = (long long)m_nTopRow * nBytesPerRow;
	const long long nFull = (long long)m_nFullRows * nBytesPerRow;
	const long long nFirst = nBegin, nLast = nEnd;

	long long nNewTop = -1;
	if (nFirst <= nTop && nLast >= nTop + nFull)
		;  // the range already covers the view
	else if (nLast - nFirst <= nFull)
	{
		if (nFirst < nTop)
			nNewTop = nFirst / nBytesPerRow;
		else if (nLast > nTop + nFull)
			nNewTop = (nLast + nBytesPerRow - nFull) / nBytesPerRow;
	}
	else
		nNewTop = nFirst > nTop ? nFirst / nBytesPerRow : (nLast + nBytesPerRow - nFull) / nBytesPerRow;
	if (nNewTop >= 0)
		SetTopRow((UINT)nNewTop, FALSE);

	const long long nOrigin = (long long)m_nHexLeft + m_rcText.left - m_nHScrollPos;
	long long x1 = 3 * (nFirst % nBytesPerRow) * m_nCharWidth + nOrigin;
	long long x2 = (3 * (nLast % nBytesPerRow) + 2) * m_nCharWidth + nOrigin;
	if (x1 > x2)
		std::swap(x1, x2);
	if (x1 > m_rcText.left && x2 >= m_rcText.right)
		SetHScrollPos((UINT)(m_nHScrollPos + x2 - m_rcText.Width()), FALSE);
	else if (x1 < m_rcText.left && x2 < m_rcText.right)
		SetHScrollPos((UINT)std::max(0LL, m_nHScrollPos + x1 - m_rcText.left), FALSE);

	if (bRedraw)
		Repaint();
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void CHexEditBase::SetTopRow(UINT nRow, BOOL bRedraw)
{
	if (!IsMultiLine())
		return;
	if (nRow > m_nMaxTopRow)
		nRow = m_nMaxTopRow;
	SetScrollPos(SB_VERT, (int)nRow, TRUE);
	if (nRow != m_nTopRow && bRedraw && ::IsWindow(m_hWnd))
	{
		m_nTopRow = nRow;
		InvalidateRect(NULL, TRUE);
	}
	// Without a redraw the caret is placed against the old row; callers place it again.
	SetEditPosition(m_nEditPos, m_bHighNibble);
	m_nTopRow = nRow;
}

void CHexEditBase::SetHScrollPos(UINT nPos, BOOL bRedraw)
{
	if (nPos > m_nMaxHScrollPos)
		nPos = m_nMaxHScrollPos;
	SetScrollPos(SB_HORZ, (int)nPos, TRUE);
	if (nPos != m_nHScrollPos && bRedraw)
	{
		m_nHScrollPos = nPos;
		if (::IsWindow(m_hWnd))
		{
			InvalidateRect(NULL, TRUE);
			SetEditPosition(m_nEditPos, m_bHighNibble);
		}
	}
	m_nHScrollPos = nPos;
}

static UINT ClampedAdd(UINT nValue, int nDelta)
{
	long long nResult = (long long)nValue + nDelta;
	return (UINT)std::max(0LL, std::min(nResult, (long long)UINT_MAX));
}

void CHexEditBase::ScrollRows(int nDelta, BOOL bRedraw)
{
	SetTopRow(ClampedAdd(m_nTopRow, nDelta), bRedraw);
}

void CHexEditBase::ScrollPixels(int nDelta, BOOL bRedraw)
{
	SetHScrollPos(ClampedAdd(m_nHScrollPos, nDelta), bRedraw);
}

void CHexEditBase::OnVScroll(UINT nSBCode, UINT, CScrollBar*)
{
	if (!HasData())
		return;
	SCROLLINFO info;
	switch (nSBCode)
	{
	case SB_LINEUP: ScrollRows(-1, TRUE); break;
	case SB_LINEDOWN: ScrollRows(1, TRUE); break;
	case SB_PAGEUP: ScrollRows(-(int)m_nFullRows, TRUE); break;
	case SB_PAGEDOWN: ScrollRows((int)m_nFullRows, TRUE); break;
	case SB_THUMBTRACK:
		if (GetScrollInfo(SB_VERT, &info, SIF_TRACKPOS))
			SetTopRow((UINT)std::max(0, info.nTrackPos), TRUE);
		break;
	default: break;
	}
}

void CHexEditBase::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
	if (!HasData())
		return;
	switch (nSBCode)
	{
	case SB_LINELEFT: ScrollPixels(-(int)m_nCharWidth, TRUE); break;
	case SB_LINERIGHT: ScrollPixels((int)m_nCharWidth, TRUE); break;
	case SB_PAGELEFT: ScrollPixels(-m_rcText.Width(), TRUE); break;
	case SB_PAGERIGHT: ScrollPixels(m_rcText.Width(), TRUE); break;
	case SB_THUMBTRACK: SetHScrollPos(nPos, TRUE); break;
	default: break;
	}
}

// A notch forward scrolls one row toward the start; part of a notch scrolls nothing.
BOOL CHexEditBase::OnMouseWheel(UINT, short zDelta, CPoint)
{
	ScrollRows(-(zDelta / WHEEL_DELTA), TRUE);
	return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Mouse and automatic scrolling

void CHexEditBase::OnLButtonDown(UINT, CPoint point)
{
	SetFocus();
	if (!HasData() || !EnsureLayout())
		return;
	UINT nPos;
	BOOL bHigh;
	PositionFromPoint(point, &nPos, &bHigh);
	SetEditPosition(nPos, bHigh);
	int cx = ::GetSystemMetrics(SM_CXDRAG);
	int cy = ::GetSystemMetrics(SM_CYDRAG);
	m_rcDragThreshold.SetRect(point.x - cx / 2, point.y - cy / 2, point.x + cx / 2 + cx % 2, point.y + cy / 2 + cy % 2);
	m_nSelStart = NONE;
	m_nSelAnchor = nPos;
	SetCapture();
}

// Moves the edit position to the point and spans the selection from the anchor to it.
void CHexEditBase::SelectFromAnchor(CPoint pt)
{
	UINT nPos;
	BOOL bHigh;
	PositionFromPoint(pt, &nPos, &bHigh);
	SetEditPosition(nPos, bHigh);
	m_nSelStart = std::min(m_nSelAnchor, nPos);
	m_nSelEnd = std::max(m_nSelAnchor, nPos);
	InvalidateRect(NULL, TRUE);
}

void CHexEditBase::OnMouseMove(UINT nFlags, CPoint point)
{
	if (!HasData() || !(nFlags & MK_LBUTTON) || m_nSelAnchor == NONE || !EnsureLayout())
		return;
	if (m_rcDragThreshold.PtInRect(point))
		return;
	m_rcDragThreshold.SetRect(-1, -1, -1, -1);

	if (IsMultiLine() && !m_rcText.PtInRect(point))
	{
		if (point.y < m_rcText.top || point.y >= m_rcText.bottom)
		{
			// Faster the further away: from a step every 8 ticks up to one every 2.
			BOOL bAbove = point.y < m_rcText.top;
			int nDistance = bAbove ? m_rcText.top - point.y + 1 : point.y - m_rcText.bottom + 1;
			int nSpeed = nDistance / 5;
			if (nSpeed > 5)
				nSpeed = 6;
			StartAutoScroll(point, bAbove ? -1 : 1, (WORD)(7 - nSpeed));
		}
		m_ptAutoScroll = point;
	}
	else
		StopAutoScroll();
	SelectFromAnchor(point);
}

void CHexEditBase::OnLButtonUp(UINT, CPoint)
{
	if (::GetCapture() == m_hWnd)
		::ReleaseCapture();
	StopAutoScroll();
	InvalidateRect(NULL, TRUE);
}

void CHexEditBase::OnLButtonDblClk(UINT, CPoint point)
{
	SetFocus();
	if (!HasData() || !EnsureLayout())
		return;
	UINT nPos;
	BOOL bHigh;
	PositionFromPoint(point, &nPos, &bHigh);
	SetEditPosition(nPos, bHigh);
	m_nSelStart = m_nSelEnd = nPos;
	InvalidateRect(NULL, TRUE);
}

void CHexEditBase::StartAutoScroll(CPoint pt, int nDir, WORD nDelay)
{
	if (!HasData())
		return;
	m_ptAutoScroll = pt;
	m_nAutoScrollDir = nDir;
	m_wAutoScrollDelay = nDelay;
	if (!m_bAutoScrolling && IsMultiLine())
	{
		m_bAutoScrolling = true;
		m_wAutoScrollCountdown = nDelay;
		SetTimer(AUTOSCROLL_TIMER, AUTOSCROLL_INTERVAL, NULL);
	}
}

void CHexEditBase::StopAutoScroll()
{
	if (!m_bAutoScrolling)
		return;
	m_bAutoScrolling = false;
	KillTimer(AUTOSCROLL_TIMER);
}

void CHexEditBase::OnTimer(UINT_PTR nIDEvent)
{
	if (!HasData() || !m_bAutoScrolling || nIDEvent != AUTOSCROLL_TIMER)
		return;
	if (m_wAutoScrollCountdown > 0)
	{
		--m_wAutoScrollCountdown;
		return;
	}
	m_wAutoScrollCountdown = m_wAutoScrollDelay;
	ScrollRows(m_nAutoScrollDir, FALSE);
	if (m_nSelAnchor != NONE)
		SelectFromAnchor(m_ptAutoScroll);
	else
	{
		UINT nPos;
		BOOL bHigh;
		PositionFromPoint(m_ptAutoScroll, &nPos, &bHigh);
		SetEditPosition(nPos, bHigh);
		InvalidateRect(NULL, TRUE);
	}
}

// ---------------------------------------------------------------------------------------------
// Keyboard, focus and size

void CHexEditBase::OnKeyDown(UINT nChar, UINT, UINT)
{
	const bool bShift = ::GetKeyState(VK_SHIFT) < 0;
	if (bShift && m_nSelAnchor == NONE)
		m_nSelAnchor = m_nEditPos;
	if (nChar == VK_TAB)
	{
		CWnd* pParent = GetParent();
		CWnd* pNext = pParent != NULL ? pParent->GetNextDlgTabItem(this, bShift) : NULL;
		if (pNext != NULL)
			pNext->SetFocus();
		return;
	}
	if (nChar < VK_PRIOR || nChar > VK_DOWN || !EnsureLayout())
		return;
	const int nRow = (int)m_nBytesPerRow;
	const int nPage = (int)(m_nVisibleRows > 0 ? m_nVisibleRows - 1 : 0) * nRow;
	switch (nChar)
	{
	case VK_PRIOR: MoveEditPosition(-nPage, m_bHighNibble); break;
	case VK_NEXT: MoveEditPosition(nPage, m_bHighNibble); break;
	case VK_END: MoveEditPosition(0x7FFFFFF, FALSE); break;
	case VK_HOME: MoveEditPosition((int)0xF8000000, TRUE); break;
	case VK_LEFT: m_bHighNibble ? MoveEditPosition(-1, FALSE) : MoveEditPosition(0, TRUE); break;
	case VK_UP: MoveEditPosition(-nRow, m_bHighNibble); break;
	case VK_RIGHT: m_bHighNibble ? MoveEditPosition(0, FALSE) : MoveEditPosition(1, TRUE); break;
	case VK_DOWN: MoveEditPosition(nRow, m_bHighNibble); break;
	default: break;
	}
}

void CHexEditBase::OnSetFocus(CWnd*)
{
	if (!HasData())
		return;
	SetEditPosition(m_nEditPos, m_bHighNibble);
	InvalidateRect(NULL, TRUE);
}

void CHexEditBase::OnKillFocus(CWnd* pNewWnd)
{
	DestroyEditCaret();
	CWnd::OnKillFocus(pNewWnd);
	InvalidateRect(NULL, TRUE);
}

void CHexEditBase::OnSize(UINT nType, int cx, int cy)
{
	CWnd::OnSize(nType, cx, cy);
	{
		CClientDC dc(this);
		CalcLayout(&dc);
	}
	SetEditPosition(m_nEditPos, m_bHighNibble);
	UpdateScrollBars();
}

UINT CHexEditBase::OnGetDlgCode()
{
	return DLGC_WANTALLKEYS;
}

// ---------------------------------------------------------------------------------------------
// Byte entry

LRESULT CHexEditBase::OnChar(WPARAM wParam, LPARAM)
{
	if (wParam == VK_BACK)
		return 1;
	return EnterHexDigit((UINT)wParam) ? 0 : 1;
}

// One hexadecimal digit overwrites the half-byte under the caret of the control's own copy.
BOOL CHexEditBase::EnterHexDigit(UINT nChar)
{
	UINT nCode = nChar & 0xFFFF;
	if (nCode > 0xFF || !HasData() || m_bReadOnly || m_nEditPos >= m_nLength)
		return FALSE;
	int c = std::tolower((int)nCode);
	BYTE nValue;
	if (c >= 'a' && c <= 'f')
		nValue = (BYTE)(c - 'a' + 10);
	else if (c >= '0' && c <= '9')
		nValue = (BYTE)(c - '0');
	else
		return FALSE;

	BYTE& b = m_pData[m_nEditPos];
	if (m_bHighNibble)
	{
		b = (BYTE)((b & 0x0F) | (nValue << 4));
		MoveEditPosition(0, FALSE);
	}
	else
	{
		b = (BYTE)((b & 0xF0) | nValue);
		MoveEditPosition(1, TRUE);
	}
	InvalidateRect(NULL, TRUE);
	NotifyParent(EN_CHANGE);
	return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Clipboard, context menu and shortcuts

void CHexEditBase::OnExtendContextMenu(CMenu*)
{
}

// Ctrl+A, Ctrl+C and Ctrl+V act before a dialog manager sees the keys.
BOOL CHexEditBase::PreTranslateMessage(MSG* pMsg)
{
	if (pMsg->message == WM_KEYDOWN && ::GetKeyState(VK_CONTROL) < 0)
	{
		switch (pMsg->wParam)
		{
		case 'A': OnEditSelectAll(); return TRUE;
		case 'C': OnEditCopy(); return TRUE;
		case 'V': OnEditPaste(); return TRUE;
		default: break;
		}
	}
	return CWnd::PreTranslateMessage(pMsg);
}

void CHexEditBase::OnContextMenu(CWnd*, CPoint point)
{
	CPoint ptMenu = point;
	if (point.x == -1 && point.y == -1)
	{
		// From the keyboard: beside the control's corner, selection and position kept.
		ptMenu = CPoint(5, 5);
		ClientToScreen(&ptMenu);
	}
	else if (HasData() && EnsureLayout())
	{
		CPoint ptClient = point;
		ScreenToClient(&ptClient);
		UINT nPos;
		BOOL bHigh;
		PositionFromPoint(ptClient, &nPos, &bHigh);
		if (!HasSelection() || nPos < m_nSelStart || nPos > m_nSelEnd)
		{
			if (HasSelection())
				SetSelection(NONE, NONE, FALSE, TRUE);
			SetEditPosition(nPos, TRUE);
		}
	}

	CMenu menu;
	if (!menu.Attach(::CreatePopupMenu()))
		return;
	menu.AppendMenu(HasSelection() ? MF_STRING : MENU_GRAYED, ID_EDIT_COPY, m_strCopy);
	COleDataObject clipboard;
	BOOL bCanPaste = clipboard.AttachClipboard() && clipboard.IsDataAvailable((CLIPFORMAT)m_cfBinaryData) &&
		!m_bReadOnly;
	menu.AppendMenu(bCanPaste ? MF_STRING : MENU_GRAYED, ID_EDIT_PASTE, m_strPaste);
	clipboard.Release();
	OnExtendContextMenu(&menu);
	menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, ptMenu.x, ptMenu.y, this);
	menu.DestroyMenu();
}

// The selection as the rows show it: pairs under their columns, one line feed per line.
std::string CHexEditBase::SelectionAsText() const
{
	const UINT nRow = m_nBytesPerRow != 0 ? m_nBytesPerRow : 1;
	// A line holds no more than the selection: a row longer than the data needs no longer buffer.
	std::vector<char> achRow(3 * (size_t)std::min(nRow, m_nSelEnd - m_nSelStart + 1), ' ');
	std::string strText;
	UINT nColumn = m_nSelEnd - m_nSelStart > nRow ? m_nSelStart % nRow : 0;
	UINT nLineStart = nColumn;
	for (unsigned long long nPos = m_nSelStart; nPos <= m_nSelEnd; ++nPos)
	{
		BYTE b = m_pData[nPos];
		achRow[3 * nColumn] = s_szDigits[b >> 4];
		achRow[3 * nColumn + 1] = s_szDigits[b & 0x0F];
		if (++nColumn == nRow || nPos == m_nSelEnd)
		{
			strText.append(achRow.data(), 3 * (size_t)nColumn - 1);
			strText += '\n';
			// Only the first line is indented; later lines start in column 0.
			if (nLineStart != 0)
			{
				std::fill(achRow.begin(), achRow.begin() + 3 * (size_t)nLineStart, ' ');
				nLineStart = 0;
			}
			nColumn = 0;
		}
	}
	return strText;
}

static HGLOBAL AllocCopyBlock(SIZE_T nBytes)
{
	return ::GlobalAlloc(COPY_FLAGS, nBytes);
}

// Frees the blocks of a copy that no data source holds yet.
static void FreeBlocks(HGLOBAL hBinary, HGLOBAL hText)
{
	if (hBinary != NULL)
		::GlobalFree(hBinary);
	if (hText != NULL)
		::GlobalFree(hText);
}

// Both formats at once: "BinaryData" (count, then the bytes) and the text of the rows.
void CHexEditBase::OnEditCopy()
{
	if (m_nSelStart == NONE || m_nSelEnd == NONE || m_nSelEnd >= m_nLength || m_nSelStart > m_nSelEnd)
		return;
	EnsureLayout();
	const DWORD nCount = m_nSelEnd - m_nSelStart + 1;
	COleDataSource* pSource = new COleDataSource;
	HGLOBAL hBinary = NULL;
	HGLOBAL hText = NULL;
	try
	{
		std::string strText = SelectionAsText();
		hBinary = AllocCopyBlock((SIZE_T)nCount + 4);
		hText = AllocCopyBlock(strText.size() + 1);
		if (hBinary == NULL || hText == NULL)
		{
			FreeBlocks(hBinary, hText);
			pSource->InternalRelease();
			return;
		}
		BYTE* pBinary = (BYTE*)::GlobalLock(hBinary);
		std::memcpy(pBinary, &nCount, 4);
		std::memcpy(pBinary + 4, m_pData + m_nSelStart, nCount);
		::GlobalUnlock(hBinary);
		char* pText = (char*)::GlobalLock(hText);
		std::memcpy(pText, strText.data(), strText.size());
		::GlobalUnlock(hText);

		pSource->CacheGlobalData((CLIPFORMAT)m_cfBinaryData, hBinary);
		hBinary = NULL;
		pSource->CacheGlobalData(CF_TEXT, hText);
		hText = NULL;
		pSource->SetClipboard();
	}
	catch (...)
	{
		// The source frees the blocks it already holds; the others are freed here.
		FreeBlocks(hBinary, hText);
		pSource->InternalRelease();
		throw;
	}
}

// Overwrites from the selection's start (or the edit position) with the "BinaryData" bytes.
void CHexEditBase::OnEditPaste()
{
	if (m_bReadOnly || !HasData())
		return;
	COleDataObject clipboard;
	if (!clipboard.AttachClipboard() || !clipboard.IsDataAvailable((CLIPFORMAT)m_cfBinaryData))
		return;
	HGLOBAL hBlock = clipboard.GetGlobalData((CLIPFORMAT)m_cfBinaryData);
	if (hBlock == NULL)
		return;
	const UINT nStart = HasSelection() ? m_nSelStart : m_nEditPos;
	if (nStart >= m_nLength)
	{
		::GlobalFree(hBlock);
		return;
	}
	const SIZE_T nBlockSize = ::GlobalSize(hBlock);
	const BYTE* pBlock = (const BYTE*)::GlobalLock(hBlock);
	DWORD nCount = 0;
	if (pBlock != NULL && nBlockSize >= 4)
		std::memcpy(&nCount, pBlock, 4);
	// Never past the data's end, nor past the bytes the block really holds.
	unsigned long long nLimit = std::min<unsigned long long>(m_nLength - nStart, nBlockSize >= 4 ? nBlockSize - 4 : 0);
	UINT nPasted = (UINT)std::min<unsigned long long>(nCount, nLimit);
	if (nPasted != 0)
		std::memcpy(m_pData + nStart, pBlock + 4, nPasted);
	::GlobalUnlock(hBlock);
	::GlobalFree(hBlock);

	if (nPasted != 0)
	{
		SetSelection(nStart, nStart + nPasted - 1, TRUE, FALSE);
		SetEditPosition(nStart + nPasted - 1, FALSE);
	}
	InvalidateRect(NULL, TRUE);
	if (nPasted != 0)
		NotifyParent(EN_CHANGE);
}

void CHexEditBase::OnEditSelectAll()
{
	if (m_nLength == 0)
		return;
	SetSelection(0, m_nLength - 1, FALSE, TRUE);
}
