// Layout: the character cell, rows, columns, bytes per row and the scroll bars.
#include "HexEditShared.h"
#include <algorithm>
#include <climits>

// The largest text width or scroll range: every column ends within it, so that a column's right
// edge, the margin and a scroll position add up within an int, as window coordinates and
// SCROLLINFO need, whatever bytes per row a caller asks for. Only rows far wider than any
// screen reach it, and their columns end there.
static const long long MAX_EXTENT = 0x3FFFFFFF;

static UINT Extent(long long nPixels)
{
	return (UINT)std::min(nPixels, MAX_EXTENT);
}

// The width of a column that starts nLeft pixels into the text, cut to end by MAX_EXTENT.
static UINT ColumnWidth(UINT nLeft, long long nWidth)
{
	return Extent(nLeft + nWidth) - nLeft;
}

void CHexEditBase::CalcLayout(CDC* pDC)
{
	m_bLayoutDirty = false;
	{
		CSelectedObject selectedFont(pDC, m_font);
		int nCharWidth = 0;
		pDC->GetCharWidth('0', '0', &nCharWidth);
		// A font without width or height would divide by zero below; one pixel keeps us safe.
		m_nCharWidth = nCharWidth > 0 ? (UINT)nCharWidth : 1;
		LONG nLineHeight = pDC->GetTextExtent(_T("0"), 1).cy;
		m_nLineHeight = nLineHeight > 0 ? (UINT)nLineHeight : 1;
	}

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
	m_nHexWidth = ColumnWidth(m_nHexLeft, (3LL * m_nBytesPerRow - 1) * m_nCharWidth + GAP);
	m_nAsciiLeft = m_bShowAscii ? m_nHexLeft + m_nHexWidth : 0;
	m_nAsciiWidth = m_bShowAscii ? ColumnWidth(m_nAsciiLeft, (long long)m_nBytesPerRow * m_nCharWidth) : 0;
	long long nTextWidth = m_bShowAscii ? (long long)m_nAsciiLeft + m_nAsciiWidth
		: Extent(m_nHexLeft + (3LL * m_nBytesPerRow - 1) * m_nCharWidth);

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
	UpdateScrollBar(SB_VERT);
	UpdateScrollBar(SB_HORZ);
}

// The bars are shown and hidden here alone: left to SetScrollInfo, a range that cannot scroll (a
// text area lower than one row) would hide a bar we just showed, and the resize that follows would
// show it again, for ever. Each call to the system redraws the bar, so a bar already as wanted is
// left alone.
void CHexEditBase::UpdateScrollBar(int nBar)
{
	const bool bVert = nBar == SB_VERT;
	// Read where they are used: showing the bar resizes the client area, and the layout that
	// follows changes the range before it is set.
	UINT& nPos = bVert ? m_nTopRow : m_nHScrollPos;
	const UINT& nMaxPos = bVert ? m_nMaxTopRow : m_nMaxHScrollPos;
	if ((GetStyle() & (bVert ? WS_VSCROLL : WS_HSCROLL)) == 0)
	{
		if (nMaxPos == 0)
			return;
		ShowScrollBar(nBar, TRUE);
	}
	if (nMaxPos == 0)
	{
		ShowScrollBar(nBar, FALSE);
		return;
	}
	nPos = std::min(nPos, nMaxPos);
	SCROLLINFO info = {};
	info.cbSize = sizeof(info);
	info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
	// A page of at least one row or pixel: with none, the thumb could not reach the last position
	// of a text area lower than a row or narrower than a pixel.
	info.nPage = std::max(bVert ? m_nFullRows : (UINT)m_rcText.Width(), 1u);
	info.nMax = (int)std::min<long long>((long long)nMaxPos + info.nPage - 1, INT_MAX);
	info.nPos = (int)std::min<UINT>(nPos, INT_MAX);
	SCROLLINFO current = {};
	if (GetScrollInfo(nBar, &current, SIF_ALL) && current.nMin == 0 && current.nMax == info.nMax &&
		current.nPage == info.nPage && current.nPos == info.nPos)
		return;
	EnableScrollBar(nBar, ESB_ENABLE_BOTH);
	SetScrollInfo(nBar, &info, TRUE);
}

LRESULT CHexEditBase::OnUpdateScrollBars(WPARAM, LPARAM)
{
	UpdateScrollBars();
	return 0;
}
