// A hex control with its members in reach, and a parent window that records commands.
#pragma once

#include "hexedit/HexEditBase.h"
#include <gtest/gtest.h>
#include <vector>

inline const UINT NONE = 0xFFFFFFFF;

class CHexEditProbe : public CHexEditBase
{
public:
	using CHexEditBase::m_pData;
	using CHexEditBase::m_nLength;
	using CHexEditBase::m_bFreeData;
	using CHexEditBase::m_nSelStart;
	using CHexEditBase::m_nSelEnd;
	using CHexEditBase::m_nSelAnchor;
	using CHexEditBase::m_nEditPos;
	using CHexEditBase::m_bHighNibble;
	using CHexEditBase::m_bLayoutDirty;
	using CHexEditBase::m_nAddressDigits;
	using CHexEditBase::m_nRequestedBytesPerRow;
	using CHexEditBase::m_bAutoBytesPerRow;
	using CHexEditBase::m_bShowAddress;
	using CHexEditBase::m_bShowAscii;
	using CHexEditBase::m_bReadOnly;
	using CHexEditBase::m_bAutoDelete;
	using CHexEditBase::m_cfBinaryData;
	using CHexEditBase::m_crBackground;
	using CHexEditBase::m_crSelBkFocus;
	using CHexEditBase::m_crSelBkNoFocus;
	using CHexEditBase::m_strCopy;
	using CHexEditBase::m_strPaste;
	using CHexEditBase::m_crAddressBk;
	using CHexEditBase::m_crAddressText;
	using CHexEditBase::m_crHexBk;
	using CHexEditBase::m_crHexText;
	using CHexEditBase::m_crAsciiBk;
	using CHexEditBase::m_crAsciiText;
	using CHexEditBase::m_crSelTextFocus;
	using CHexEditBase::m_nBytesPerRow;
	using CHexEditBase::m_nCharWidth;
	using CHexEditBase::m_nLineHeight;
	using CHexEditBase::m_nFullRows;
	using CHexEditBase::m_nLastRowHeight;
	using CHexEditBase::m_nVisibleRows;
	using CHexEditBase::m_nAddressWidth;
	using CHexEditBase::m_nHexLeft;
	using CHexEditBase::m_nHexWidth;
	using CHexEditBase::m_nAsciiLeft;
	using CHexEditBase::m_nAsciiWidth;
	using CHexEditBase::m_rcText;
	using CHexEditBase::m_nTopRow;
	using CHexEditBase::m_nMaxTopRow;
	using CHexEditBase::m_nHScrollPos;
	using CHexEditBase::m_nMaxHScrollPos;
	using CHexEditBase::m_bAutoScrolling;
	using CHexEditBase::m_bCaretCreated;
	using CHexEditBase::NotifyParent;
	using CHexEditBase::CalcLayout;
	using CHexEditBase::PositionFromPoint;
	using CHexEditBase::SetTopRow;

	void Layout()
	{
		CClientDC dc(this);
		CalcLayout(&dc);
	}
};

// A parent that records the commands its children send.
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

// The stock font's cell, measured as the control measures it.
struct CFontCell
{
	CFontCell()
	{
		HDC hDC = ::GetDC(NULL);
		HGDIOBJ hOld = ::SelectObject(hDC, ::GetStockObject(OEM_FIXED_FONT));
		::GetCharWidth(hDC, '0', '0', &cx);
		SIZE size;
		::GetTextExtentPoint32(hDC, _T("0"), 1, &size);
		cy = size.cy;
		::SelectObject(hDC, hOld);
		::ReleaseDC(NULL, hDC);
	}
	int cx = 0;
	int cy = 0;
};

class HexEditTest : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(m_parent.CreateEx(0, _T("Static"), _T("parent"), WS_POPUP | WS_VISIBLE, 0, 0, 1000, 700,
			NULL, NULL));
	}

	void TearDown() override
	{
		m_parent.DestroyWindow();
	}

	void CreateControl(CHexEditProbe& control, UINT nID = 77, int cx = 300, int cy = 200,
		DWORD dwStyle = WS_CHILD | WS_VISIBLE | ES_MULTILINE)
	{
		RECT rc = { 0, 0, cx, cy };
		ASSERT_TRUE(control.Create(NULL, dwStyle, rc, &m_parent, nID));
	}

	// Drops what is queued for this thread: scroll-bar updates, timer ticks, paints.
	static void Pump()
	{
		MSG msg;
		while (::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE))
			::DispatchMessage(&msg);
	}

	// Whether part of the window has been invalidated since the last validation.
	static bool IsInvalid(HWND hWnd)
	{
		RECT rc;
		return ::GetUpdateRect(hWnd, &rc, FALSE) && !::IsRectEmpty(&rc);
	}

	CCommandParent m_parent;
};
