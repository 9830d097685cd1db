// A hex control with its members in reach, in a parent that records the commands it gets.
#pragma once

#include "hexedit/HexEditBase.h"
#include "Harness.h"
#include <functional>
#include <vector>

inline const UINT NONE = 0xFFFFFFFF;
using State = std::vector<UINT>;

// The client area as the screen shows it, the caret left out: a pixel 0xRRGGBB.
inline std::vector<DWORD> Screen(CWnd& wnd)
{
	wnd.UpdateWindow();
	CRect rc;
	wnd.GetClientRect(&rc);
	CClientDC dc(&wnd);
	HDC hMemDC = ::CreateCompatibleDC(dc.m_hDC);
	HBITMAP hBitmap = ::CreateCompatibleBitmap(dc.m_hDC, rc.Width(), rc.Height());
	HGDIOBJ hOld = ::SelectObject(hMemDC, hBitmap);
	wnd.HideCaret();
	::BitBlt(hMemDC, 0, 0, rc.Width(), rc.Height(), dc.m_hDC, 0, 0, SRCCOPY);
	wnd.ShowCaret();
	::SelectObject(hMemDC, hOld);
	BITMAPINFO bi = { { sizeof(BITMAPINFOHEADER), rc.Width(), -rc.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0 }, {} };
	std::vector<DWORD> pixels((size_t)rc.Width() * rc.Height());
	::GetDIBits(hMemDC, hBitmap, 0, rc.Height(), pixels.data(), &bi, DIB_RGB_COLORS);
	::DeleteObject(hBitmap);
	::DeleteDC(hMemDC);
	return pixels;
}

class CHexEditProbe : public CHexEditBase
{
public:
	using CHexEditBase::m_pData, CHexEditBase::m_nLength, CHexEditBase::m_nSelAnchor, CHexEditBase::m_nEditPos,
		CHexEditBase::m_bHighNibble, CHexEditBase::m_bLayoutDirty,
		CHexEditBase::m_cfBinaryData, CHexEditBase::m_crBackground, CHexEditBase::m_nBytesPerRow,
		CHexEditBase::m_nFullRows, CHexEditBase::m_nVisibleRows, CHexEditBase::m_nHexLeft,
		CHexEditBase::m_nAsciiLeft, CHexEditBase::m_nAsciiWidth, CHexEditBase::m_rcText, CHexEditBase::m_nTopRow,
		CHexEditBase::m_nMaxTopRow, CHexEditBase::m_nHScrollPos, CHexEditBase::m_nMaxHScrollPos,
		CHexEditBase::m_bAutoScrolling, CHexEditBase::EnsureLayout, CHexEditBase::SetTopRow,
		CHexEditBase::m_nHexWidth, CHexEditBase::m_nCharWidth, CHexEditBase::m_nLineHeight;
	std::function<void(UINT, WPARAM, LPARAM)> m_fnWatch;  // sees each message before the control

	// The edit position, its half (1 high), the selection's start and end.
	::State State() const { return { m_nEditPos, m_bHighNibble, m_nSelStart, m_nSelEnd }; }
	std::vector<BYTE> Bytes() const { return std::vector<BYTE>(m_pData, m_pData + m_nLength); }

protected:
	LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
	{
		if (m_fnWatch)
			m_fnWatch(message, wParam, lParam);
		return CHexEditBase::WindowProc(message, wParam, lParam);
	}
};

class CCommandParent : public CWnd
{
public:
	std::vector<std::pair<WPARAM, LPARAM>> m_commands;

protected:
	LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
	{
		if (message == WM_COMMAND)
			m_commands.emplace_back(wParam, lParam);
		return CWnd::WindowProc(message, wParam, lParam);
	}
};

class HexEditTest : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(m_parent.CreateEx(0, _T("Static"), _T("parent"), WS_POPUP | WS_VISIBLE, 0, 0, 1000, 700, NULL, NULL));
		m_cell = StockFontCell();
	}

	void TearDown() override { m_parent.DestroyWindow(); }

	// A control over the bytes 0, 1, 2, ... with four address digits and the ASCII column, 16
	// bytes a row; multi-line, its text rectangle is cx by cy inside a margin of 5.
	void Create(CHexEditProbe& control, int cx, int cy, UINT nLength, DWORD dwStyle = WS_CHILD | WS_VISIBLE | ES_MULTILINE)
	{
		const int nMargin = (dwStyle & ES_MULTILINE) ? 10 : 0;
		ASSERT_TRUE(control.Create(NULL, dwStyle, CRect(0, 0, cx + nMargin, cy + nMargin), &m_parent, 1023));
		m_data.resize(nLength);
		for (UINT i = 0; i < nLength; ++i)
			m_data[i] = (BYTE)i;
		control.SetData(m_data.data(), nLength, FALSE);
		control.SetAddressSize(4, FALSE);
		control.SetShowAddress(TRUE, FALSE);
		control.SetShowAscii(TRUE, FALSE);
		control.EnsureLayout();
	}

	static bool IsInvalid(HWND hWnd) { return ::GetUpdateRect(hWnd, NULL, FALSE) != FALSE; }

	CCommandParent m_parent;
	CSize m_cell;  // of the stock font, as the control measures it
	std::vector<BYTE> m_data;
	CHexEditProbe m_control;  // the fixtures' own
};
