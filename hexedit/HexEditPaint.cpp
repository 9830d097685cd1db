// Painting: one off-screen frame with the address, hex and ASCII columns and the selection.
#include "HexEditShared.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

static const UINT DRAW_FLAGS = DT_SINGLELINE | DT_NOPREFIX;

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
	// Both go back before the bitmap and the context are deleted, also when painting throws: a
	// bitmap deleted while selected is not deleted at all.
	CSelectedObject selectedBitmap(&memDC, bitmap);
	CSelectedObject selectedFont(&memDC, m_font);
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
}

// The last byte the visible rows show.
UINT CHexEditBase::LastPaintedByte() const
{
	unsigned long long nLast = ((unsigned long long)m_nTopRow + m_nVisibleRows) * m_nBytesPerRow;
	return nLast < m_nLength - 1ULL ? (UINT)nLast : m_nLength - 1;
}

// Calls fn(nRow, nFirst, nEnd) for each painted row that shows a byte of the columns
// [nFirstColumn, nEndColumn): nFirst is the row's first byte, nEnd the column past its last.
template <class Fn>
void CHexEditBase::ForEachPaintedRow(UINT nFirstColumn, UINT nEndColumn, Fn fn) const
{
	const UINT nLast = LastPaintedByte();
	UINT nRow = 0;
	for (unsigned long long nFirst = (unsigned long long)m_nTopRow * m_nBytesPerRow; nFirst <= nLast;
		nFirst += m_nBytesPerRow, ++nRow)
	{
		const UINT nEnd = (UINT)std::min<unsigned long long>(nEndColumn, nLast - nFirst + 1);
		if (nEnd > nFirstColumn)
			fn(nRow, nFirst, nEnd);
	}
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
	ForEachPaintedRow(0, 1, [&](UINT nRow, unsigned long long nFirst, UINT) {
		int nLen = std::snprintf(szAddress, sizeof(szAddress), szFormat, (UINT)nFirst);
		CRect rcRow = RowRect(rcColumn.left, rcColumn.right, nRow);
		pDC->DrawText(szAddress, nLen, &rcRow, DRAW_FLAGS);
	});
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

	ForEachPaintedRow(nFirstColumn, nEndColumn, [&](UINT nRow, unsigned long long nFirst, UINT nEnd) {
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
			return;
		UINT nStartChar = 3 * (UINT)(std::max<unsigned long long>(m_nSelStart, nRowFirst) - nRowFirst);
		UINT nEndChar = 3 * (UINT)(std::min<unsigned long long>(m_nSelEnd, nRowLast) - nRowFirst) + 2;
		CRect rcFill(nTextLeft + (LONG)nStartChar * nCharWidth, rcRow.top + 1,
			nTextLeft + (LONG)nEndChar * nCharWidth + 1, rcRow.bottom);
		pDC->FillSolidRect(&rcFill, crSelBk);
		CRect rcText(rcFill.left, rcRow.top, nTextLeft + (LONG)nEndChar * nCharWidth, rcRow.bottom);
		pDC->SetTextColor(crSelText);
		pDC->SetBkMode(TRANSPARENT);
		pDC->DrawText(achRow.data() + nStartChar, (int)(nEndChar - nStartChar), &rcText, DRAW_FLAGS);
	});
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

	ForEachPaintedRow(nFirstColumn, nEndColumn, [&](UINT nRow, unsigned long long nFirst, UINT nEnd) {
		for (UINT nColumn = nFirstColumn; nColumn < nEnd; ++nColumn)
		{
			BYTE b = m_pData[nFirst + nColumn];
			achRow[nColumn - nFirstColumn] = std::isprint(b) ? (char)b : '.';
		}
		CRect rcRow = RowRect(nTextLeft, rcColumn.right, nRow);
		pDC->DrawText(achRow.data(), (int)(nEnd - nFirstColumn), &rcRow, DRAW_FLAGS);
	});
}
