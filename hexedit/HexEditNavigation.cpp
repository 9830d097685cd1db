// Navigation: the caret, scrolling, the mouse with automatic scrolling, the keyboard and focus.
#include "HexEditShared.h"
#include <algorithm>
#include <limits>

static const UINT_PTR AUTOSCROLL_TIMER = 1024;
static const UINT AUTOSCROLL_INTERVAL = 5;

// The value as type T holds it, the nearest limit past its range: scroll targets below row 0,
// and rows and pages of hostile widths (0x80000000 bytes a row) that reach past a move's int.
template <class T>
static T Saturated(long long nValue)
{
	return (T)std::clamp<long long>(nValue, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
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

// The half-byte under the point becomes the edit position; its byte is returned.
UINT CHexEditBase::SetEditPositionFromPoint(CPoint pt)
{
	UINT nPos;
	BOOL bHigh;
	PositionFromPoint(pt, &nPos, &bHigh);
	SetEditPosition(nPos, bHigh);
	return nPos;
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
	// The bar already shows the current row: moving it again would only redraw it.
	if (nRow != m_nTopRow)
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
	if (nPos != m_nHScrollPos)
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

void CHexEditBase::ScrollRows(int nDelta, BOOL bRedraw)
{
	SetTopRow(Saturated<UINT>((long long)m_nTopRow + nDelta), bRedraw);
}

void CHexEditBase::ScrollPixels(int nDelta, BOOL bRedraw)
{
	SetHScrollPos(Saturated<UINT>((long long)m_nHScrollPos + nDelta), bRedraw);
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
	UINT nPos = SetEditPositionFromPoint(point);
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
	UINT nPos = SetEditPositionFromPoint(pt);
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
	UINT nPos = SetEditPositionFromPoint(point);
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
		SetEditPositionFromPoint(m_ptAutoScroll);
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
	const long long nRow = m_nBytesPerRow;
	const long long nPage = (long long)(m_nVisibleRows > 0 ? m_nVisibleRows - 1 : 0) * nRow;
	switch (nChar)
	{
	case VK_PRIOR: MoveEditPosition(Saturated<int>(-nPage), m_bHighNibble); break;
	case VK_NEXT: MoveEditPosition(Saturated<int>(nPage), m_bHighNibble); break;
	case VK_END: MoveEditPosition(0x7FFFFFF, FALSE); break;
	case VK_HOME: MoveEditPosition((int)0xF8000000, TRUE); break;
	case VK_LEFT: m_bHighNibble ? MoveEditPosition(-1, FALSE) : MoveEditPosition(0, TRUE); break;
	case VK_UP: MoveEditPosition(Saturated<int>(-nRow), m_bHighNibble); break;
	case VK_RIGHT: m_bHighNibble ? MoveEditPosition(0, FALSE) : MoveEditPosition(1, TRUE); break;
	case VK_DOWN: MoveEditPosition(Saturated<int>(nRow), m_bHighNibble); break;
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
