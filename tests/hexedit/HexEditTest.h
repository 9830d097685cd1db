// A hex control with its members in reach, in a parent that records commands, and what a test
// reads back from it: painted text, scroll bars, caret.
#pragma once

#include "hexedit/HexEditBase.h"
#include "Readback.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

inline const UINT NONE = 0xFFFFFFFF;

class CHexEditProbe : public CHexEditBase
{
public:
	using CHexEditBase::m_pData, CHexEditBase::m_nLength, CHexEditBase::m_bFreeData, CHexEditBase::m_nSelStart,
		CHexEditBase::m_nSelEnd, CHexEditBase::m_nSelAnchor, CHexEditBase::m_nEditPos, CHexEditBase::m_bHighNibble,
		CHexEditBase::m_bLayoutDirty, CHexEditBase::m_nRequestedBytesPerRow, CHexEditBase::m_bAutoBytesPerRow,
		CHexEditBase::m_bShowAddress, CHexEditBase::m_bShowAscii, CHexEditBase::m_bReadOnly,
		CHexEditBase::m_bAutoDelete, CHexEditBase::m_cfBinaryData, CHexEditBase::m_crBackground,
		CHexEditBase::m_crAddressText, CHexEditBase::m_crHexText, CHexEditBase::m_crAsciiText,
		CHexEditBase::m_crSelTextFocus, CHexEditBase::m_nBytesPerRow, CHexEditBase::m_nCharWidth,
		CHexEditBase::m_nLineHeight, CHexEditBase::m_nFullRows, CHexEditBase::m_nLastRowHeight,
		CHexEditBase::m_nVisibleRows, CHexEditBase::m_nAddressWidth, CHexEditBase::m_nHexLeft,
		CHexEditBase::m_nHexWidth, CHexEditBase::m_nAsciiLeft, CHexEditBase::m_nAsciiWidth, CHexEditBase::m_rcText,
		CHexEditBase::m_nTopRow, CHexEditBase::m_nMaxTopRow, CHexEditBase::m_nHScrollPos,
		CHexEditBase::m_nMaxHScrollPos, CHexEditBase::m_bAutoScrolling, CHexEditBase::NotifyParent,
		CHexEditBase::PositionFromPoint, CHexEditBase::SetTopRow;

	void Layout()
	{
		CClientDC dc(this);
		CalcLayout(&dc);
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

// The stock font's cell, measured as the control measures it.
struct CFontCell
{
	CFontCell();
	int cx = 0;
	int cy = 0;
};

class HexEditTest : public testing::Test
{
protected:
	void SetUp() override;
	void TearDown() override { m_parent.DestroyWindow(); }

	// A control over 0x00, 0x01, ... with four address digits and the ASCII column; its text
	// rectangle (inside the 5-pixel margin) is cx by cy.
	void Create(CHexEditProbe& control, int cx, int cy, UINT nLength, DWORD dwStyle = WS_CHILD | WS_VISIBLE | ES_MULTILINE);

	// Drops what is queued for this thread: scroll-bar updates, timer ticks, paints.
	static void Pump();
	static bool IsInvalid(HWND hWnd);
	static CPoint CaretPos();
	static SCROLLINFO ScrollInfo(HWND hWnd, int nBar);

	CCommandParent m_parent;
	CFontCell m_cell;
	std::vector<BYTE> m_data;
};
