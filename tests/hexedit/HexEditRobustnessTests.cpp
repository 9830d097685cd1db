// Hostile settings, memory running out and seeded random input leave the control consistent.
#include "HexEditTest.h"
#include "ModalDriver.h"
#include <afxole.h>
#include <climits>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>

// This program's allocator fails its n-th allocation on request and lists the blocks made since,
// so that a test sees what the control leaves behind (not what the runtime, a DLL, allocates).
namespace
{
struct CAllocatorHook
{
	long nFailAt = 0;  // counting from 1; 0 fails none
	long nCount = 0;
	bool bFailed = false;
	bool bTracking = false;
	std::pair<void*, size_t> aBlocks[4096] = {};

	void FailAt(long n)
	{
		*this = CAllocatorHook();
		nFailAt = n;
		bTracking = true;
	}

	std::pair<size_t, size_t> Live() const  // blocks and bytes
	{
		std::pair<size_t, size_t> live(0, 0);
		for (const auto& block : aBlocks)
			if (block.first != NULL)
				live = std::make_pair(live.first + 1, live.second + block.second);
		return live;
	}
} g_hook;

void* HookedAlloc(size_t nSize) noexcept
{
	if (g_hook.nFailAt != 0 && ++g_hook.nCount == g_hook.nFailAt)
	{
		// What the program allocates to report the failure is not the control's.
		g_hook.bFailed = true;
		g_hook.bTracking = false;
		return NULL;
	}
	void* p = std::malloc(nSize != 0 ? nSize : 1);
	for (auto& block : g_hook.aBlocks)
		if (g_hook.bTracking && block.first == NULL)
		{
			block = std::make_pair(p, nSize);
			break;
		}
	return p;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void HookedFree(void* p) noexcept
{
	for (auto& block : g_hook.aBlocks)
		if (p != NULL && block.first == p)
			block.first = NULL;
	std::free(p);
}
#pragma GCC diagnostic pop
}

void* operator new(size_t n)
{
	void* p = HookedAlloc(n);
	return p != NULL ? p : throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return HookedAlloc(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return HookedAlloc(n); }
void operator delete(void* p) noexcept { HookedFree(p); }
void operator delete[](void* p) noexcept { HookedFree(p); }
void operator delete(void* p, size_t) noexcept { HookedFree(p); }
void operator delete[](void* p, size_t) noexcept { HookedFree(p); }

// Whatever a setting's type allows, in a 32-bit process as in a 64-bit one: the control paints,
// pages to its ends within bars an int can hold, and a digit still overwrites the high half.
TEST_F(HexEditTest, HostileSettingsLeaveTheControlWorking)
{
	std::vector<BYTE> data(0x10000, 0x5A);
	const std::function<void(CHexEditProbe&)> cases[] = {
		[](CHexEditProbe& c) { c.SetBytesPerRow(0, FALSE, TRUE); }, [](CHexEditProbe& c) { c.SetBytesPerRow(0x55555556, FALSE, TRUE); },
		[](CHexEditProbe& c) { c.SetBytesPerRow(0x80000000, FALSE, TRUE); }, [](CHexEditProbe& c) { c.SetBytesPerRow(UINT_MAX, FALSE, TRUE); },
		[](CHexEditProbe& c) { c.SetAddressSize(0, TRUE); }, [](CHexEditProbe& c) { c.SetAddressSize(255, TRUE); },
		[](CHexEditProbe& c) { c.SetSelection(0x9000, 5, TRUE, TRUE); }, [](CHexEditProbe& c) { c.SetSelection(UINT_MAX - 1, INT_MAX, TRUE, TRUE); },
		[&](CHexEditProbe& c) { c.SetData(data.data(), 0, TRUE); }, [](CHexEditProbe& c) { c.SetData(NULL, 1000, TRUE); },
		[](CHexEditProbe& c) { c.MoveWindow(0, 0, 0, 0); }, [](CHexEditProbe& c) { c.MoveWindow(0, 0, 7000, 20); },
	};
	for (DWORD dwStyle : { WS_CHILD | WS_VISIBLE | ES_MULTILINE, WS_CHILD | WS_VISIBLE })
	{
		for (const auto& apply : cases)
		{
			SCOPED_TRACE(testing::Message() << "case " << &apply - cases << ", style " << dwStyle);
			CHexEditProbe control;
			Create(control, 290, 190, 0, dwStyle);
			control.SetData(data.data(), (UINT)data.size(), FALSE);
			control.SetFocus();
			apply(control);
			control.UpdateWindow();
			Pump();
			EXPECT_FALSE(IsInvalid(control.m_hWnd));
			const bool bRows = (dwStyle & ES_MULTILINE) != 0;
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
				SCROLLINFO info = { sizeof(info), SIF_ALL, 0, 0, 0, 0, 0 };
				control.GetScrollInfo(nBar, &info);
				EXPECT_TRUE(info.nPos <= info.nMax && info.nPage <= (UINT)INT_MAX) << nBar;
			}
			m_parent.m_commands.clear();
			const bool bHasByte = control.m_pData != NULL && control.m_nEditPos < control.m_nLength;
			control.SendMessage(WM_CHAR, 'c', 0);
			EXPECT_EQ(bHasByte ? 0xCA : 0, bHasByte ? control.m_pData[control.m_nEditPos] : 0);
			EXPECT_EQ(bHasByte ? 1u : 0u, m_parent.m_commands.size());
		}
	}
}

class HexEditMemoryTest : public HexEditTest
{
protected:
	void SetUp() override
	{
		HexEditTest::SetUp();
		Create(m_control, 630, 110, 0x400);
		m_control.SetFocus();
		m_control.SetSelection(20, 70, FALSE, TRUE);
		m_control.UpdateWindow();
		Pump();
	}

	void TearDown() override
	{
		g_hook.FailAt(0);
		g_hook.bTracking = false;
		HexEditTest::TearDown();
	}

	// Fails each allocation of the action in turn until it runs through, and checks each failure.
	void FailEachAllocation(const std::function<void()>& action, const std::function<void()>& check)
	{
		long n = 1;
		for (; n < 100; ++n)
		{
			m_modals.m_records.clear();
			g_hook.FailAt(n);
			action();
			g_hook.nFailAt = 0;
			if (!g_hook.bFailed)
				break;
			SCOPED_TRACE(n);
			check();
		}
		EXPECT_GE(n, 3);
	}

	std::vector<COLORREF> Snapshot()
	{
		CClientDC dc(&m_control);
		CRect rc;
		m_control.GetClientRect(&rc);
		std::vector<COLORREF> pixels;
		for (int y = 0; y < rc.bottom; y += 3)
			for (int x = 0; x < rc.right; ++x)
				pixels.push_back(::GetPixel(dc.m_hDC, x, y));
		return pixels;
	}

	CModalDriver m_modals;
	CHexEditProbe m_control;
};

// A failed paint is validated instead of failing again at once, with no message box; it leaves
// nothing behind, and the next paint shows the same picture.
TEST_F(HexEditMemoryTest, AFailedPaintIsValidatedAndLeavesNothingBehind)
{
	const std::vector<COLORREF> painted = Snapshot();
	FailEachAllocation([&]() {
		m_control.InvalidateRect(NULL, FALSE);
		m_control.UpdateWindow();
	}, [&]() { EXPECT_TRUE(g_hook.Live().first == 0 && !IsInvalid(m_control.m_hWnd)); });
	EXPECT_TRUE(m_modals.m_records.empty());
	m_control.InvalidateRect(NULL, FALSE);
	m_control.UpdateWindow();
	EXPECT_TRUE(painted == Snapshot());
}

// A failed copy says so, leaves the clipboard empty and frees its blocks; the data source alone
// is the runtime's to free.
TEST_F(HexEditMemoryTest, AFailedCopyIsReportedAndFreesItsBlocks)
{
	PutBlock(CF_TEXT, "-");
	LRESULT lResult = 0;
	FailEachAllocation([&]() { lResult = m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY, 0); }, [&]() {
		const auto live = g_hook.Live();
		EXPECT_TRUE(live.first == 0 || live == std::make_pair((size_t)1, sizeof(COleDataSource))) << live.first;
		EXPECT_EQ(TRUE, lResult);
		EXPECT_EQ(std::vector<std::string>({ "Out of memory." }), m_modals.MessageTexts());
		EXPECT_FALSE(::IsClipboardFormatAvailable(m_control.m_cfBinaryData));
	});
	EXPECT_TRUE(::IsClipboardFormatAvailable(m_control.m_cfBinaryData));
}

// SetData that cannot copy frees the old copy, throws the memory exception and leaves an empty
// control that paints its background alone.
TEST_F(HexEditMemoryTest, AFailedSetDataLeavesAnEmptyControl)
{
	g_hook.FailAt(0);
	m_control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
	ASSERT_EQ(1u, g_hook.Live().first);
	g_hook.nFailAt = 1;
	EXPECT_THROW(m_control.SetData(m_data.data(), 0x300, FALSE), CMemoryException*);
	EXPECT_EQ(0u, g_hook.Live().first);
	EXPECT_EQ(std::make_pair(0u, false), std::make_pair(m_control.m_nLength, m_control.HasSelection() != FALSE));
	m_control.HideCaret();
	m_control.UpdateWindow();
	EXPECT_TRUE(Snapshot() == std::vector<COLORREF>(Snapshot().size(), m_control.m_crBackground));
}

// Random input against the invariants: seeded, so any failure can be replayed.
TEST_F(HexEditTest, RandomInputKeepsPositionsInsideTheData)
{
	const unsigned nSeed = 20261205;
	std::mt19937 random(nSeed);
	auto Next = [&random](int nMax) { return std::uniform_int_distribution<int>(0, nMax - 1)(random); };
	CHexEditProbe control;
	Create(control, 390, 190, 0);
	control.SetBytesPerRow(16, TRUE, FALSE);
	control.SetFocus();
	CSize size(400, 200);
	bool bShift = false;
	SetKeyDown(VK_SHIFT, false);
	auto Point = [&]() { return MAKELPARAM(Next(size.cx + 80) - 40, Next(size.cy + 80) - 40); };
	static const UINT s_anKeys[] = { VK_TAB, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, 'A' };
	static const int s_anLengths[] = { 0, 1, 2, 15, 16, 17, 300, 5000 };
	for (int nStep = 0; nStep < 100000; ++nStep)
	{
		const int nAction = Next(12);
		switch (nAction)
		{
		case 0:
		case 1:
			// The keyboard state is set only when Shift changes: each change is a round trip.
			if (bShift != (Next(2) == 0))
				SetKeyDown(VK_SHIFT, bShift = !bShift);
			control.SendMessage(WM_KEYDOWN, s_anKeys[Next(_countof(s_anKeys))], 1);
			break;
		case 2: control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point()); break;
		case 3: control.SendMessage(WM_MOUSEMOVE, Next(4) == 0 ? 0 : MK_LBUTTON, Point()); break;
		case 4: control.SendMessage(WM_LBUTTONUP, 0, Point()); break;
		case 5: control.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point()); break;
		case 6: control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(Next(1201) - 600)), 0); break;
		case 7: control.SendMessage(Next(2) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(Next(9), Next(5000)), 0); break;
		case 8: control.SendMessage(WM_TIMER, Next(8) == 0 ? 7 : 1024); break;
		case 9: control.SendMessage(WM_CHAR, "0123456789abcdefXg \b"[Next(20)], 0); break;
		case 10:
		{
			const int nLength = s_anLengths[Next(_countof(s_anLengths))];
			m_data.assign(nLength, (BYTE)Next(256));
			control.SetData(Next(6) == 0 ? NULL : m_data.data(), (UINT)nLength, Next(2));
			break;
		}
		default:
			// A resize costs a dozen round trips: one in three.
			if (Next(3) != 0)
				control.UpdateWindow();
			else
			{
				size = CSize(Next(500), Next(300));
				control.MoveWindow(0, 0, size.cx, size.cy);
			}
			break;
		}
		// Queued work is done, but real timer ticks are dropped, so that a seed replays the same run.
		MSG msg;
		while (nStep % 64 == 0 && ::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE))
			if (msg.message != WM_TIMER)
				::DispatchMessage(&msg);
		const State state = control.State();
		const bool bData = control.m_pData != NULL && control.m_nLength != 0;
		const bool bEdit = bData ? state[0] < control.m_nLength : state[0] == 0;
		const bool bSelection = state[2] == NONE || state[3] == NONE || (state[2] <= state[3] && state[3] < control.m_nLength);
		const bool bScroll = control.m_bLayoutDirty ||
			(control.m_nTopRow <= control.m_nMaxTopRow && control.m_nHScrollPos <= control.m_nMaxHScrollPos);
		if (!bEdit || !bSelection || !bScroll)
		{
			ADD_FAILURE() << "seed " << nSeed << ", step " << nStep << " (action " << nAction << "): edit " << state[0]
				<< " of " << control.m_nLength << ", selection " << state[2] << ".." << state[3] << ", top row "
				<< control.m_nTopRow << "/" << control.m_nMaxTopRow << ", offset " << control.m_nHScrollPos << "/"
				<< control.m_nMaxHScrollPos;
			break;
		}
	}
	SetKeyDown(VK_SHIFT, false);
}
