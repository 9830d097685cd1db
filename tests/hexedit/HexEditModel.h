// What keys, the mouse, scrolling and the setters must do to the edit position, its half, the
// anchor, the selection, the view and the capture, worked out beside a control from every message
// it gets. The control's layout figures are inputs; every position and scrolling decision is the
// model's own.
#pragma once

#include "HexEditTest.h"
#include <cctype>

class CHexEditModel
{
public:
	// Starts from the control's state and watches it until destroyed.
	explicit CHexEditModel(CHexEditProbe& control) : m_wnd(control), m_bMultiLine((control.GetStyle() & ES_MULTILINE) != 0)
	{
		m_nEdit = m_wnd.m_nEditPos, m_bHigh = m_wnd.m_bHighNibble, m_nAnchor = m_wnd.m_nSelAnchor, m_nStart = m_wnd.State()[2], m_nEnd = m_wnd.State()[3];
		m_nTop = m_wnd.m_nTopRow, m_nOffset = m_wnd.m_nHScrollPos, m_bData = m_wnd.m_pData != NULL, m_nLength = m_wnd.m_nLength;
		m_wnd.m_fnWatch = [this](UINT nMsg, WPARAM wParam, LPARAM lParam) { OnMessage(nMsg, wParam, lParam); };
	}
	~CHexEditModel() { m_wnd.m_fnWatch = nullptr; }

	void SetData(const BYTE* pData, UINT nLength)
	{
		m_nAnchor = m_nStart = m_nEnd = NONE, m_nEdit = 0, m_bHigh = true;
		m_bData = pData != NULL, m_nLength = pData != NULL ? nLength : 0;
	}

	void SetSelection(UINT nBegin, UINT nEnd, bool bMakeVisible)
	{
		Clamp();
		if (nBegin == m_nStart && nEnd == m_nEnd)
			return;
		m_nStart = nBegin != NONE && nBegin >= m_nLength ? m_nLength - 1 : nBegin;
		m_nEnd = nEnd != NONE && nEnd >= m_nLength ? m_nLength - 1 : nEnd;
		if (bMakeVisible && m_nStart != NONE && m_nEnd != NONE)
			EnsureVisible(m_nStart, m_nEnd);
	}

	// Edit position, half, anchor, selection, top row, offset, automatic scrolling and capture as
	// the control has them and as the model has them; empty when they agree.
	std::string Differences()
	{
		Clamp();
		const State model = { m_nEdit, m_bHigh, m_nAnchor, m_nStart, m_nEnd, m_nTop, m_nOffset, m_bAutoScrolling, m_bCaptured };
		const State control = { m_wnd.m_nEditPos, m_wnd.m_bHighNibble, m_wnd.m_nSelAnchor, m_wnd.State()[2], m_wnd.State()[3],
			m_wnd.m_nTopRow, m_wnd.m_nHScrollPos, m_wnd.m_bAutoScrolling, ::GetCapture() == m_wnd.m_hWnd };
		return model == control ? "" : testing::PrintToString(control) + " (model " + testing::PrintToString(model) + ") ";
	}

private:
	bool HasData() const { return m_bData && m_nLength != 0; }
	static bool Shift() { return ::GetKeyState(VK_SHIFT) < 0; }
	// Each layout clamps the view to what it allows.
	void Clamp() { m_nTop = std::min(m_nTop, m_wnd.m_nMaxTopRow), m_nOffset = std::min(m_nOffset, m_wnd.m_nMaxHScrollPos); }

	void OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
	{
		Clamp();
		const CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
		SCROLLINFO info = { sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0 };
		switch (nMsg)
		{
		case WM_KEYDOWN: OnKeyDown((UINT)wParam); break;
		case WM_CHAR:
			if (wParam != VK_BACK && (wParam & 0xFFFF) <= 0xFF && (wParam & 0xFF) && std::strchr("0123456789abcdef", std::tolower(wParam & 0xFF)))
				m_bHigh ? Move(0, false) : Move(1, true);
			break;
		case WM_LBUTTONDOWN: OnLButtonDown(pt); break;
		case WM_MOUSEMOVE: OnMouseMove(wParam, pt); break;
		case WM_LBUTTONUP: m_bAutoScrolling = m_bCaptured = false; break;
		case WM_LBUTTONDBLCLK:
			if (HasData())
				HitTest(pt), m_nStart = m_nEnd = m_nEdit;
			break;
		case WM_MOUSEWHEEL: ScrollRows(-((short)HIWORD(wParam) / WHEEL_DELTA)); break;
		case WM_VSCROLL:
			if (HasData() && LOWORD(wParam) <= SB_PAGEDOWN)
				ScrollRows((LOWORD(wParam) & 1 ? 1 : -1) * (LOWORD(wParam) < SB_PAGEUP ? 1 : (long long)m_wnd.m_nFullRows));
			else if (HasData() && LOWORD(wParam) == SB_THUMBTRACK && m_wnd.GetScrollInfo(SB_VERT, &info, SIF_TRACKPOS))
				SetTopRow((UINT)info.nTrackPos);
			break;
		case WM_HSCROLL:
			if (HasData() && LOWORD(wParam) <= SB_PAGERIGHT)
				ScrollPixels((LOWORD(wParam) & 1 ? 1 : -1) * (long long)(LOWORD(wParam) < SB_PAGELEFT ? m_wnd.m_nCharWidth : m_wnd.m_rcText.Width()));
			else if (HasData() && LOWORD(wParam) == SB_THUMBTRACK)
				SetOffset(HIWORD(wParam));
			break;
		case WM_TIMER: OnTimer(wParam); break;
		}
	}

	void OnKeyDown(UINT nKey)
	{
		if (Shift() && m_nAnchor == NONE)
			m_nAnchor = m_nEdit;
		// However long a row or a page, a move stops at the ends. Without a row in view a page is none.
		const long long nRow = m_wnd.m_nBytesPerRow, nPage = m_wnd.m_nVisibleRows == 0 ? 0 : (m_wnd.m_nVisibleRows - 1) * nRow;
		switch (nKey)
		{
		case VK_PRIOR: Move(-nPage, m_bHigh); break;
		case VK_NEXT: Move(nPage, m_bHigh); break;
		case VK_END: Move(0x7FFFFFF, false); break;
		case VK_HOME: Move(-0x8000000, true); break;
		case VK_LEFT: m_bHigh ? Move(-1, false) : Move(0, true); break;
		case VK_UP: Move(-nRow, m_bHigh); break;
		case VK_RIGHT: m_bHigh ? Move(0, false) : Move(1, true); break;
		case VK_DOWN: Move(nRow, m_bHigh); break;
		}
	}

	void Move(long long nDelta, bool bHigh)
	{
		if (!HasData())
			return;
		if (!Shift())
			m_nAnchor = m_nStart = m_nEnd = NONE;
		long long nPos = m_nEdit + nDelta;
		if (nDelta > 0 && nPos >= m_nLength)
			nPos = m_nLength - 1, bHigh = false;
		else if (nPos < 0)
			nPos = 0, bHigh = true;
		m_nEdit = (UINT)nPos, m_bHigh = bHigh;
		if (Shift())
			SelectFromAnchor();
		EnsureVisible(m_nEdit, m_nEdit);
	}

	// A timer step after a key without Shift has dropped the anchor leaves the selection alone.
	void SelectFromAnchor()
	{
		if (m_nAnchor != NONE)
			m_nStart = std::min(m_nAnchor, m_nEdit), m_nEnd = std::max(m_nAnchor, m_nEdit);
	}

	// Scrolls the fewest rows and pixels that bring the range into view, as far as it fits.
	void EnsureVisible(long long nBegin, long long nEnd)
	{
		const long long nRow = m_wnd.m_nBytesPerRow, nTop = m_nTop * nRow, nFull = m_wnd.m_nFullRows * nRow;
		if (nBegin <= nTop && nEnd >= nTop + nFull)
			;
		else if (nEnd - nBegin <= nFull ? nBegin < nTop : nBegin > nTop)
			SetTopRow(nBegin / nRow);
		else if (nEnd - nBegin > nFull || nEnd > nTop + nFull)
			SetTopRow((nEnd + nRow - nFull) / nRow);
		const long long nBase = (long long)m_wnd.m_nHexLeft + m_wnd.m_rcText.left - m_nOffset;
		long long x1 = 3 * (nBegin % nRow) * m_wnd.m_nCharWidth + nBase, x2 = (3 * (nEnd % nRow) + 2) * m_wnd.m_nCharWidth + nBase;
		if (x1 > x2)
			std::swap(x1, x2);
		if (x1 > m_wnd.m_rcText.left && x2 >= m_wnd.m_rcText.right)
			SetOffset(m_nOffset + x2 - m_wnd.m_rcText.Width());
		else if (x1 < m_wnd.m_rcText.left && x2 < m_wnd.m_rcText.right)
			SetOffset(m_nOffset + x1 - m_wnd.m_rcText.left);
	}

	void SetTopRow(long long nRow)
	{
		if (m_bMultiLine)
			m_nTop = (UINT)std::min(nRow, (long long)m_wnd.m_nMaxTopRow);
	}
	void SetOffset(long long nPos) { m_nOffset = (UINT)std::min(nPos, (long long)m_wnd.m_nMaxHScrollPos); }
	void ScrollRows(long long nDelta) { SetTopRow(std::max(0LL, m_nTop + nDelta)); }
	void ScrollPixels(long long nDelta) { SetOffset(std::max(0LL, m_nOffset + nDelta)); }

	// The byte and half under a point of the hex column; beside it, the row's first or last byte.
	void HitTest(CPoint pt)
	{
		long long x = pt.x + (long long)m_nOffset + m_wnd.m_nCharWidth / 2 - (m_bMultiLine ? 5 : 0), y = pt.y - m_wnd.m_rcText.top;
		y = std::min(std::max(y, 0LL), (long long)m_wnd.m_nLineHeight * m_wnd.m_nVisibleRows);
		x = std::min(std::max(x, (long long)m_wnd.m_nHexLeft), (long long)m_wnd.m_nHexLeft + m_wnd.m_nHexWidth - 5) - m_wnd.m_nHexLeft;
		const long long nCell = x / m_wnd.m_nCharWidth, nPos = nCell / 3 + (m_nTop + y / m_wnd.m_nLineHeight) * (long long)m_wnd.m_nBytesPerRow;
		m_bHigh = nCell % 3 == 0 && nPos < m_nLength;
		m_nEdit = (UINT)std::min(nPos, m_nLength - 1LL);
	}

	void OnLButtonDown(CPoint pt)
	{
		if (!HasData())
			return;
		HitTest(pt);
		const int cx = ::GetSystemMetrics(SM_CXDRAG), cy = ::GetSystemMetrics(SM_CYDRAG);
		m_rcDrag.SetRect(pt.x - cx / 2, pt.y - cy / 2, pt.x + cx / 2 + cx % 2, pt.y + cy / 2 + cy % 2);
		m_nStart = NONE, m_nAnchor = m_nEdit, m_bCaptured = true;
	}

	void OnMouseMove(WPARAM wFlags, CPoint pt)
	{
		if (!HasData() || !(wFlags & MK_LBUTTON) || m_nAnchor == NONE || m_rcDrag.PtInRect(pt))
			return;
		m_rcDrag.SetRect(-1, -1, -1, -1);
		const CRect& rc = m_wnd.m_rcText;
		if (!m_bMultiLine || rc.PtInRect(pt))
			m_bAutoScrolling = false;
		else if (pt.y < rc.top || pt.y >= rc.bottom)
		{
			// Faster the farther beyond the text: a step every 8 ticks down to every 2.
			m_nAutoScrollDir = pt.y < rc.top ? -1 : 1, m_nDelay = 7 - std::min(((pt.y < rc.top ? rc.top - pt.y : pt.y - rc.bottom) + 1) / 5, 6L);
			m_nCountdown = m_bAutoScrolling ? m_nCountdown : m_nDelay, m_bAutoScrolling = true;
		}
		m_ptAutoScroll = pt;
		HitTest(pt);
		SelectFromAnchor();
	}

	void OnTimer(UINT_PTR nIDEvent)
	{
		if (!HasData() || !m_bAutoScrolling || nIDEvent != 1024 || m_nCountdown-- > 0)
			return;
		m_nCountdown = m_nDelay;
		ScrollRows(m_nAutoScrollDir);
		HitTest(m_ptAutoScroll);
		SelectFromAnchor();
	}

	CHexEditProbe& m_wnd;
	const bool m_bMultiLine;
	bool m_bData, m_bHigh, m_bAutoScrolling = false, m_bCaptured = false;
	UINT m_nLength, m_nEdit, m_nAnchor, m_nStart, m_nEnd, m_nTop, m_nOffset;
	CRect m_rcDrag = CRect(-1, -1, -1, -1);
	CPoint m_ptAutoScroll;
	long m_nAutoScrollDir = 0, m_nDelay = 0, m_nCountdown = 0;
};
