// What keys, the mouse, scrolling and the setters must do to the edit position, its half, the
// anchor, the selection and the view, worked out beside a control from every message it gets. The
// control's layout figures are inputs; every position and scrolling decision is the model's own.
#pragma once

#include "HexEditTest.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>
#include <string>

class CHexEditModel
{
public:
	// Starts from the control's state and watches it until destroyed.
	explicit CHexEditModel(CHexEditProbe& control) : m_control(control)
	{
		const ::State state = control.State();
		m_nEdit = state[0], m_bHigh = state[1] != 0, m_nStart = state[2], m_nEnd = state[3];
		m_nAnchor = control.m_nSelAnchor, m_nTop = control.m_nTopRow, m_nOffset = control.m_nHScrollPos;
		m_bData = control.m_pData != NULL, m_nLength = control.m_nLength;
		m_bMultiLine = (control.GetStyle() & ES_MULTILINE) != 0;
		control.m_fnWatch = [this](UINT nMsg, WPARAM wParam, LPARAM lParam) { OnMessage(nMsg, wParam, lParam); };
	}
	~CHexEditModel() { m_control.m_fnWatch = nullptr; }

	void SetData(const BYTE* pData, UINT nLength)
	{
		Sync();
		m_nAnchor = m_nStart = m_nEnd = NONE;
		m_bData = pData != NULL, m_nLength = pData != NULL ? nLength : 0;
		m_nEdit = 0, m_bHigh = true;
	}

	void SetSelection(UINT nBegin, UINT nEnd, bool bMakeVisible)
	{
		Sync();
		if (nBegin == m_nStart && nEnd == m_nEnd)
			return;
		auto Clamp = [this](UINT n) { return n != NONE && n >= m_nLength ? m_nLength - 1 : n; };
		m_nStart = Clamp(nBegin), m_nEnd = Clamp(nEnd);
		if (bMakeVisible && m_nStart != NONE && m_nEnd != NONE)
			EnsureVisible(m_nStart, m_nEnd);
	}

	// What differs from the control; empty when nothing does.
	std::string Differences()
	{
		Sync();
		const ::State state = m_control.State();
		const UINT model[] = { m_nEdit, m_bHigh, m_nAnchor, m_nStart, m_nEnd, m_nTop, m_nOffset, m_bAutoScrolling };
		const UINT control[] = { state[0], state[1], m_control.m_nSelAnchor, state[2], state[3], m_control.m_nTopRow,
			m_control.m_nHScrollPos, m_control.m_bAutoScrolling };
		const char* apszNames[] = { "edit", "high", "anchor", "start", "end", "top row", "offset", "auto-scrolling" };
		std::ostringstream out;
		for (size_t i = 0; i < std::size(model); ++i)
			if (model[i] != control[i])
				out << apszNames[i] << " " << control[i] << " (model " << model[i] << ") ";
		return out.str();
	}

private:
	bool HasData() const { return m_bData && m_nLength != 0; }
	static bool Shift() { return ::GetKeyState(VK_SHIFT) < 0; }

	// Every layout clamps the view to what it allows: take its figures before each message.
	void Sync()
	{
		const CHexEditProbe& c = m_control;
		m_nRow = std::max(1u, c.m_nBytesPerRow), m_nFullRows = c.m_nFullRows, m_nVisibleRows = c.m_nVisibleRows;
		m_nMaxTop = c.m_nMaxTopRow, m_nMaxOffset = c.m_nMaxHScrollPos, m_rcText = c.m_rcText;
		m_nHexLeft = c.m_nHexLeft, m_nHexWidth = c.m_nHexWidth;
		m_nCell = std::max(1u, c.m_nCharWidth), m_nLine = std::max(1u, c.m_nLineHeight);
		m_nTop = std::min(m_nTop, m_nMaxTop), m_nOffset = std::min(m_nOffset, m_nMaxOffset);
	}

	void OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
	{
		Sync();
		const CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
		switch (nMsg)
		{
		case WM_KEYDOWN: OnKeyDown((UINT)wParam); break;
		case WM_CHAR: OnChar((UINT)wParam); break;
		case WM_LBUTTONDOWN: OnLButtonDown(pt); break;
		case WM_MOUSEMOVE: OnMouseMove(wParam, pt); break;
		case WM_LBUTTONUP: m_bAutoScrolling = false; break;
		case WM_LBUTTONDBLCLK:
			if (HasData())
				HitTest(pt), m_nStart = m_nEnd = m_nEdit;
			break;
		case WM_MOUSEWHEEL: ScrollRows(-((short)HIWORD(wParam) / WHEEL_DELTA)); break;
		case WM_VSCROLL: OnVScroll(LOWORD(wParam)); break;
		case WM_HSCROLL: OnHScroll(LOWORD(wParam), HIWORD(wParam)); break;
		case WM_TIMER: OnTimer(wParam); break;
		}
	}

	void OnKeyDown(UINT nKey)
	{
		if (Shift() && m_nAnchor == NONE)
			m_nAnchor = m_nEdit;
		// A move is an int: a row or page of 2^31 bytes or more wraps around. Without a row in
		// view a page is none.
		const UINT nRow = m_nRow, nPage = m_nVisibleRows == 0 ? 0 : (m_nVisibleRows - 1) * nRow;
		switch (nKey)
		{
		case VK_PRIOR: Move((int)(0 - nPage), m_bHigh); break;
		case VK_NEXT: Move((int)nPage, m_bHigh); break;
		case VK_END: Move(0x7FFFFFF, false); break;
		case VK_HOME: Move(-0x8000000, true); break;
		case VK_LEFT: m_bHigh ? Move(-1, false) : Move(0, true); break;
		case VK_UP: Move((int)(0 - nRow), m_bHigh); break;
		case VK_RIGHT: m_bHigh ? Move(0, false) : Move(1, true); break;
		case VK_DOWN: Move((int)nRow, m_bHigh); break;
		}
	}

	void OnChar(UINT nChar)
	{
		if (nChar == VK_BACK || (nChar & 0xFFFF) > 0xFF || !HasData())
			return;
		const int ch = std::tolower(nChar & 0xFF);
		if (ch == 0 || !std::strchr("0123456789abcdef", ch))
			return;
		m_bHigh ? Move(0, false) : Move(1, true);
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
		const long long nTop = m_nTop * (long long)m_nRow, nFull = m_nFullRows * (long long)m_nRow;
		if (nBegin <= nTop && nEnd >= nTop + nFull)
			;
		else if (nEnd - nBegin <= nFull ? nBegin < nTop : nBegin > nTop)
			SetTopRow(nBegin / m_nRow);
		else if (nEnd - nBegin > nFull || nEnd > nTop + nFull)
			SetTopRow((nEnd + m_nRow - nFull) / m_nRow);
		const long long nBase = (long long)m_nHexLeft + m_rcText.left - m_nOffset;
		long long x1 = 3 * (nBegin % m_nRow) * m_nCell + nBase, x2 = (3 * (nEnd % m_nRow) + 2) * m_nCell + nBase;
		if (x1 > x2)
			std::swap(x1, x2);
		if (x1 > m_rcText.left && x2 >= m_rcText.right)
			SetOffset(m_nOffset + x2 - m_rcText.Width());
		else if (x1 < m_rcText.left && x2 < m_rcText.right)
			SetOffset(m_nOffset + x1 - m_rcText.left);
	}

	void SetTopRow(long long nRow)
	{
		if (m_bMultiLine)
			m_nTop = (UINT)std::min(nRow, (long long)m_nMaxTop);
	}
	void SetOffset(long long nPos) { m_nOffset = (UINT)std::min(nPos, (long long)m_nMaxOffset); }
	void ScrollRows(long long nDelta) { SetTopRow(std::max(0LL, m_nTop + nDelta)); }
	void ScrollPixels(long long nDelta) { SetOffset(std::max(0LL, m_nOffset + nDelta)); }

	void OnVScroll(UINT nCode)
	{
		SCROLLINFO info = { sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0 };
		if (!HasData())
			return;
		if (nCode <= SB_PAGEDOWN)
			ScrollRows((nCode & 1 ? 1 : -1) * (nCode < SB_PAGEUP ? 1 : (long long)m_nFullRows));
		else if (nCode == SB_THUMBTRACK && m_control.GetScrollInfo(SB_VERT, &info, SIF_TRACKPOS))
			SetTopRow((UINT)info.nTrackPos);
	}

	void OnHScroll(UINT nCode, UINT nPos)
	{
		if (!HasData())
			return;
		if (nCode <= SB_PAGERIGHT)
			ScrollPixels((nCode & 1 ? 1 : -1) * (long long)(nCode < SB_PAGELEFT ? m_nCell : m_rcText.Width()));
		else if (nCode == SB_THUMBTRACK)
			SetOffset(nPos);
	}

	// The byte and half under a point of the hex column; beside it, the row's first or last byte.
	void HitTest(CPoint pt)
	{
		long long x = pt.x + (long long)m_nOffset + m_nCell / 2 - (m_bMultiLine ? 5 : 0), y = pt.y - m_rcText.top;
		y = std::min(std::max(y, 0LL), (long long)m_nLine * m_nVisibleRows);
		x = std::min(std::max(x, (long long)m_nHexLeft), (long long)m_nHexLeft + m_nHexWidth - 5) - m_nHexLeft;
		const long long nCell = x / m_nCell, nPos = nCell / 3 + (m_nTop + y / m_nLine) * (long long)m_nRow;
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
		m_nStart = NONE, m_nAnchor = m_nEdit;
	}

	void OnMouseMove(WPARAM wFlags, CPoint pt)
	{
		if (!HasData() || !(wFlags & MK_LBUTTON) || m_nAnchor == NONE || m_rcDrag.PtInRect(pt))
			return;
		m_rcDrag.SetRect(-1, -1, -1, -1);
		if (!m_bMultiLine || m_rcText.PtInRect(pt))
			m_bAutoScrolling = false;
		else if (pt.y < m_rcText.top || pt.y >= m_rcText.bottom)
		{
			// Faster the farther beyond the text: a step every 8 ticks down to every 2.
			const int nDistance = pt.y < m_rcText.top ? m_rcText.top - pt.y + 1 : pt.y - m_rcText.bottom + 1;
			m_nAutoScrollDir = pt.y < m_rcText.top ? -1 : 1, m_nAutoScrollDelay = 7 - std::min(nDistance / 5, 6);
			if (!m_bAutoScrolling)
				m_bAutoScrolling = true, m_nCountdown = m_nAutoScrollDelay;
		}
		m_ptAutoScroll = pt;
		HitTest(pt);
		SelectFromAnchor();
	}

	void OnTimer(UINT_PTR nIDEvent)
	{
		if (!HasData() || !m_bAutoScrolling || nIDEvent != 1024)
			return;
		if (m_nCountdown > 0)
		{
			--m_nCountdown;
			return;
		}
		m_nCountdown = m_nAutoScrollDelay;
		ScrollRows(m_nAutoScrollDir);
		HitTest(m_ptAutoScroll);
		SelectFromAnchor();
	}

	CHexEditProbe& m_control;
	bool m_bData, m_bMultiLine, m_bHigh, m_bAutoScrolling = false;
	UINT m_nLength, m_nEdit, m_nAnchor, m_nStart, m_nEnd, m_nTop, m_nOffset;
	CRect m_rcDrag = CRect(-1, -1, -1, -1);
	CPoint m_ptAutoScroll;
	int m_nAutoScrollDir = 0, m_nAutoScrollDelay = 0, m_nCountdown = 0;
	// The control's layout figures
	UINT m_nRow, m_nFullRows, m_nVisibleRows, m_nMaxTop, m_nMaxOffset, m_nHexLeft, m_nHexWidth, m_nCell, m_nLine;
	CRect m_rcText;
};
