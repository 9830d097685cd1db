// Any value a setting's type allows leaves the control working, in a 32-bit process as in a 64-bit one.
#include "HexEditTest.h"
#include <algorithm>
#include <climits>
#include <functional>

struct HostileCase
{
	const char* pszName;
	std::function<void(CHexEditProbe&)> apply;
};

// A few pages down and right, then to the far ends; the bars' ranges stay what an int holds.
static void PageThrough(CHexEditProbe& control)
{
	// A single-line control has no rows to scroll.
	const bool bRows = (control.GetStyle() & ES_MULTILINE) != 0;
	const unsigned long long nExpected = bRows ? control.m_nTopRow + 3ULL * control.m_nFullRows : 0;
	for (int i = 0; i < 3; ++i)
	{
		control.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
		control.SendMessage(WM_HSCROLL, SB_PAGERIGHT, 0);
	}
	EXPECT_EQ(std::min<unsigned long long>(control.m_nMaxTopRow, nExpected), control.m_nTopRow);
	control.SetTopRow(UINT_MAX, TRUE);
	control.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0xFFFF), 0);
	EXPECT_EQ(bRows ? control.m_nMaxTopRow : 0, control.m_nTopRow);
	EXPECT_LE(control.m_nHScrollPos, control.m_nMaxHScrollPos);
	control.UpdateWindow();
	for (int nBar : { SB_VERT, SB_HORZ })
	{
		SCROLLINFO info = {};
		info.cbSize = sizeof(info);
		info.fMask = SIF_ALL;
		if (::GetScrollInfo(control.m_hWnd, nBar, &info))
		{
			EXPECT_LE(info.nMin, info.nMax) << nBar;
			EXPECT_LE(info.nPos, info.nMax) << nBar;
			EXPECT_LE(info.nPage, (UINT)INT_MAX) << nBar;
		}
	}
}

TEST_F(HexEditTest, HostileSettingsLeaveTheControlWorking)
{
	std::vector<BYTE> data(0x10000);
	for (size_t i = 0; i < data.size(); ++i)
		data[i] = (BYTE)(i * 7 + 0x35);
	const HostileCase cases[] = {
		{ "bytes per row 0", [](CHexEditProbe& c) { c.SetBytesPerRow(0, FALSE, TRUE); } },
		{ "bytes per row 1", [](CHexEditProbe& c) { c.SetBytesPerRow(1, FALSE, TRUE); } },
		{ "bytes per row 0x55555556", [](CHexEditProbe& c) { c.SetBytesPerRow(0x55555556, FALSE, TRUE); } },
		{ "bytes per row 0x80000000", [](CHexEditProbe& c) { c.SetBytesPerRow(0x80000000, FALSE, TRUE); } },
		{ "bytes per row 0xFFFFFFFF", [](CHexEditProbe& c) { c.SetBytesPerRow(0xFFFFFFFF, FALSE, TRUE); } },
		{ "address digits 0", [](CHexEditProbe& c) { c.SetAddressSize(0, TRUE); } },
		{ "address digits 255", [](CHexEditProbe& c) { c.SetAddressSize(255, TRUE); } },
		{ "selection out of order", [](CHexEditProbe& c) { c.SetSelection(0x9000, 5, TRUE, TRUE); } },
		{ "selection out of range", [](CHexEditProbe& c) { c.SetSelection(0xFFFFFFFE, 0x7FFFFFFF, TRUE, TRUE); } },
		{ "data of length 0", [&](CHexEditProbe& c) { c.SetData(data.data(), 0, TRUE); } },
		{ "null data with a length", [](CHexEditProbe& c) { c.SetData(NULL, 1000, TRUE); } },
		{ "window 0x0", [](CHexEditProbe& c) { c.MoveWindow(0, 0, 0, 0); } },
		{ "window 1x1", [](CHexEditProbe& c) { c.MoveWindow(0, 0, 1, 1); } },
		{ "window 7000x20", [](CHexEditProbe& c) { c.MoveWindow(0, 0, 7000, 20); } },
	};
	for (DWORD dwStyle : { WS_CHILD | WS_VISIBLE | ES_MULTILINE, WS_CHILD | WS_VISIBLE })
	{
		for (const HostileCase& c : cases)
		{
			SCOPED_TRACE(testing::Message() << c.pszName << (dwStyle & ES_MULTILINE ? ", multi-line" : ", single line"));
			CHexEditProbe control;
			CreateControl(control, 77, 300, 200, dwStyle);
			control.SetData(data.data(), (UINT)data.size(), FALSE);
			control.SetShowAddress(TRUE, FALSE);
			control.SetShowAscii(TRUE, FALSE);
			control.SetFocus();
			c.apply(control);
			control.UpdateWindow();
			Pump();
			EXPECT_FALSE(IsInvalid(control.m_hWnd));
			EXPECT_LE(control.m_nTopRow, control.m_nMaxTopRow);
			PageThrough(control);

			// A digit overwrites the high half of the byte at the edit position.
			m_parent.m_commands.clear();
			const UINT nPos = control.m_nEditPos;
			const bool bHasByte = control.m_pData != NULL && nPos < control.m_nLength;
			const BYTE bBefore = bHasByte ? control.m_pData[nPos] : 0;
			control.SendMessage(WM_CHAR, 'c', 0);
			Pump();
			if (bHasByte)
			{
				EXPECT_EQ((BYTE)(0xC0 | (bBefore & 0x0F)), control.m_pData[nPos]);
				EXPECT_EQ(1u, m_parent.m_commands.size());
			}
			else
				EXPECT_TRUE(m_parent.m_commands.empty());
			control.DestroyWindow();
		}
	}
}
