// Memory running out and seeded random input, hostile settings among it, leave the control consistent.
#include "HexEditModel.h"
#include "ModalDriver.h"
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>

// This program's allocator fails its n-th allocation on request and keeps the blocks made since,
// so that a test sees what the control leaves behind (and the runtime, a DLL, where patched).
static long s_nFailAt, s_nCount;  // counting from 1; 0 fails none
static bool s_bFailed, s_bTracking;
static void* s_apBlocks[4096];
static long s_nLive;  // the blocks in the table: made since and not freed

static void Track(long nFailAt)
{
	s_nFailAt = nFailAt;
	s_nCount = 0;
	s_bFailed = false;
	s_bTracking = true;
	std::fill(std::begin(s_apBlocks), std::end(s_apBlocks), nullptr);
	s_nLive = 0;
}

void* operator new(size_t n)
{
	if (s_nFailAt != 0 && ++s_nCount == s_nFailAt)
	{
		// What the program allocates to report the failure is not the control's.
		s_bFailed = true;
		s_bTracking = false;
		throw std::bad_alloc();
	}
	void* p = std::malloc(n != 0 ? n : 1);
	// Only while tracking: every other test allocates through here too.
	if (s_bTracking && s_nLive < (long)std::size(s_apBlocks))
	{
		*std::find(std::begin(s_apBlocks), std::end(s_apBlocks), nullptr) = p;
		++s_nLive;
	}
	return p;
}

// The replaced operators allocate with malloc, so free is their match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept
{
	void** ppSlot = s_nLive > 0 && p != NULL ? std::find(std::begin(s_apBlocks), std::end(s_apBlocks), p) : std::end(s_apBlocks);
	if (ppSlot != std::end(s_apBlocks))
	{
		*ppSlot = NULL;
		--s_nLive;
	}
	std::free(p);
}

void* operator new[](size_t n) { return operator new(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept
{
	try { return operator new(n); } catch (const std::bad_alloc&) { return NULL; }
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
#pragma GCC diagnostic pop

// Windows keeps a bitmap deleted while selected into a device context: it leaks. Wine deletes it
// later, so deletions are counted the Windows way (a bitmap one context holds, another cannot).
static int s_nLeakedBitmaps;
static BOOL WINAPI DeleteObjectAsWindows(HGDIOBJ hObject)
{
	HDC hDC = ::CreateCompatibleDC(NULL);
	const bool bHeld = ::GetObjectType(hObject) == OBJ_BITMAP && ::SelectObject(hDC, hObject) == NULL;
	::DeleteDC(hDC);
	s_nLeakedBitmaps += bHeld;
	return !bHeld && ::DeleteObject(hObject);
}

// Device contexts the runtime got from GetDC and has not released.
static int s_nHeldDCs;
static HDC WINAPI GetDCCounted(HWND hWnd) { return ++s_nHeldDCs, ::GetDC(hWnd); }
static int WINAPI ReleaseDCCounted(HWND hWnd, HDC hDC) { return --s_nHeldDCs, ::ReleaseDC(hWnd, hDC); }

// Global blocks, as many as allowed; a clipboard that takes nothing; a timer, as last set, that never ticks.
static const auto s_pfnGlobalAlloc = (HGLOBAL(WINAPI*)(UINT, SIZE_T))::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GlobalAlloc");
static std::vector<std::pair<UINT, HGLOBAL>> s_blocks;  // each block's flags and handle
static size_t s_nBlocksAllowed;
static HGLOBAL WINAPI AllowedBlocks(UINT nFlags, SIZE_T n) { return s_blocks.size() < s_nBlocksAllowed ? s_blocks.emplace_back(nFlags, s_pfnGlobalAlloc(nFlags, n)).second : NULL; }
static HRESULT WINAPI RefusingClipboard(IDataObject*) { return CLIPBRD_E_CANT_SET; }
static std::pair<UINT_PTR, UINT> s_timer(1024, 5);
static UINT_PTR WINAPI RecordTimer(HWND, UINT_PTR nID, UINT nElapse, TIMERPROC) { return s_timer = { nID, nElapse }, nID; }

// Each allocation of a paint, a copy and SetData fails in turn. A failed paint is validated
// instead of failing again at once, without a word, and leaves nothing behind; a failed copy says
// so, leaves the clipboard empty and frees its blocks (the data source is the runtime's to free);
// SetData frees the old copy, throws and leaves an empty control that paints its background.
TEST_F(HexEditTest, MemoryRunningOutLeavesTheControlConsistent)
{
	CModalDriver modals;
	CHexEditProbe control;
	Create(control, 630, 110, 0x400);
	control.SetFocus();
	control.SetSelection(20, 70, FALSE, TRUE);
	PumpMessages();
	// The check follows each failure, and the success at the end where it holds there too.
	auto FailEach = [&modals](const std::function<void()>& action, const std::function<void()>& check, bool bAfterSuccess = false) {
		long n = 1;
		for (;; ++n)
		{
			modals.m_records.clear();
			Track(n);
			action();
			s_nFailAt = 0;
			if (s_bFailed || bAfterSuccess)
				check();
			if (!s_bFailed || n == 100)
				break;
		}
		EXPECT_GE(n, 3);
	};
	CImportPatch getDC("afx.dll", "user32.dll", "GetDC", (FARPROC)GetDCCounted), releaseDC("afx.dll", "user32.dll", "ReleaseDC", (FARPROC)ReleaseDCCounted);
	const std::vector<DWORD> painted = Screen(control);
	EXPECT_EQ(0, s_nHeldDCs);
	{
		CImportPatch deletions("afx.dll", "gdi32.dll", "DeleteObject", (FARPROC)DeleteObjectAsWindows);
		FailEach([&]() { ::RedrawWindow(control.m_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW); }, [&]() {
			EXPECT_TRUE(s_nLive == 0 && s_nLeakedBitmaps == 0 && !IsInvalid(control.m_hWnd) && modals.m_records.empty());
		});
	}
	control.InvalidateRect(NULL, FALSE);
	EXPECT_TRUE(painted == Screen(control));

	PutBlock(CF_TEXT, "-");
	LRESULT lResult = 0;
	FailEach([&]() { lResult = control.SendMessage(WM_COMMAND, ID_EDIT_COPY, 0); }, [&]() {
		EXPECT_EQ(std::make_tuple(true, (LRESULT)TRUE, std::vector<std::string>({ "Out of memory." }), FALSE),  // at most the data source, which the runtime frees
			std::make_tuple(s_nLive <= 1, lResult, modals.MessageTexts(), ::IsClipboardFormatAvailable(control.m_cfBinaryData)));
	});
	EXPECT_TRUE(::IsClipboardFormatAvailable(control.m_cfBinaryData));
	// Copied blocks are 0x2042; without the second, or refused by the clipboard, a copy frees them and changes nothing.
	const CBytes held = ClipboardBlock(control.m_cfBinaryData);
	for (size_t nAllowed : { 1, 2 })
	{
		s_blocks.clear(), s_nBlocksAllowed = nAllowed;
		CImportPatch blocks(NULL, "kernel32.dll", "GlobalAlloc", (FARPROC)AllowedBlocks), refused("afx.dll", "ole32.dll", "OleSetClipboard", (FARPROC)RefusingClipboard);
		control.SendMessage(WM_COMMAND, ID_EDIT_COPY, 0);
		EXPECT_EQ(std::make_tuple(held, nAllowed, 0L), std::make_tuple(ClipboardBlock(control.m_cfBinaryData), s_blocks.size(),
			std::count_if(s_blocks.begin(), s_blocks.end(), [](const auto& block) { return block.first != 0x2042 || ::GlobalSize(block.second) != 0; }))) << nAllowed;
	}

	{ CHexEditProbe gone; Track(0); gone.SetData(m_data.data(), 9, FALSE); }  // its copy goes with it
	EXPECT_EQ(0, s_nLive);
	Track(0);
	control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
	ASSERT_EQ(1, s_nLive);
	control.UpdateWindow();
	s_nFailAt = 1;
	EXPECT_THROW(control.SetData(m_data.data(), 0x300, FALSE), CMemoryException*);
	s_bTracking = false;
	EXPECT_EQ(std::make_tuple(true, 0L, 0u), std::make_tuple(IsInvalid(control.m_hWnd), s_nLive, control.m_nLength));
	const std::vector<DWORD> empty = Screen(control);
	const COLORREF cr = control.m_crBackground;
	EXPECT_TRUE(empty == std::vector<DWORD>(empty.size(), RGB(GetBValue(cr), GetGValue(cr), GetRValue(cr))));
	control.SetData(m_data.data(), 0, TRUE);  // a copy of no bytes shows no more
	EXPECT_TRUE(Screen(control) == empty);

	// A self-creating control's object goes with its window, and with a subclassing that fails; so
	// does a temporary object that its handle map has no room for. The runtime allocates here too.
	CImportPatch runtimeNew("afx.dll", "libstdc++-6.dll", sizeof(size_t) == 8 ? "_Znwy" : "_Znwj", (FARPROC)(void* (*)(size_t))&operator new);
	CImportPatch runtimeDelete("afx.dll", "libstdc++-6.dll", sizeof(size_t) == 8 ? "_ZdlPvy" : "_ZdlPvj", (FARPROC)(void (*)(void*, size_t))&operator delete);
	auto Unlocked = []() { AfxUnlockTempMaps(); EXPECT_EQ(0, s_nLive); };
	HWND hSelf = NULL;  // made exactly when its object is
	FailEach([&]() { ::DestroyWindow(hSelf = ::CreateWindowEx(0, _T("CHexEditBase_SC"), NULL, WS_CHILD, 0, 0, 9, 9, m_parent.m_hWnd, NULL, AfxGetInstanceHandle(), NULL)); },
		[&]() { Unlocked(); EXPECT_EQ(s_bFailed, hSelf == NULL); }, true);
	CGdiObject::FromHandle(::GetStockObject(WHITE_PEN));  // the map's buckets, which stay, come first
	FailEach([]() {
		try { CWnd::FromHandle(::GetDesktopWindow()); CGdiObject::FromHandle(::GetStockObject(BLACK_PEN)); } catch (const std::bad_alloc&) {}
	}, Unlocked, true);
	s_bTracking = false;
}

// The bars shown (minimum, maximum, page, position) and what the layout asks: a page of a row or a pixel at least.
static std::pair<std::vector<std::vector<int>>, std::vector<std::vector<int>>> BarsAndLayout(CHexEditProbe& control, bool bMulti)
{
	auto Bar = [&control](int nBar, DWORD dwShown) {
		SCROLLINFO info = { sizeof(info), SIF_ALL, 0, 0, 0, 0, 0 };
		return (control.GetStyle() & dwShown) && control.GetScrollInfo(nBar, &info) ? std::vector<int>({ info.nMin, info.nMax, (int)info.nPage, info.nPos }) : std::vector<int>();
	};
	const int nText = (int)(control.m_nAsciiLeft + control.m_nAsciiWidth), cxText = control.m_rcText.Width();
	const int nMaxTop = (int)control.m_nMaxTopRow, nRows = std::max((int)control.m_nFullRows, 1), nPixels = std::max(cxText, 1);
	return { { Bar(SB_VERT, WS_VSCROLL), Bar(SB_HORZ, WS_HSCROLL) },
		{ bMulti && nMaxTop > 0 ? std::vector<int>({ 0, nMaxTop + nRows - 1, nRows, (int)control.m_nTopRow }) : std::vector<int>(),
			bMulti && nText > cxText ? std::vector<int>({ 0, nText - cxText + nPixels - 1, nPixels, (int)control.m_nHScrollPos }) : std::vector<int>() } };
}

// Random input, hostile settings among it, against the model, the bars and the timer in both modes:
// seeded, so any failure can be replayed. The control is hidden, so that no event waits for the
// screen: it still lays out, scrolls, sizes and paints its frame; only the copy to the screen is
// left out. MENDLE_RANDOM_SEED and MENDLE_RANDOM_EVENTS (both modes together) replay or lengthen a run.
TEST_F(HexEditTest, RandomInputKeepsPositionsInsideTheData)
{
	auto Setting = [](const char* pszName, const char* pszDefault) { const char* psz = std::getenv(pszName); return std::strtoul(psz != NULL ? psz : pszDefault, NULL, 10); };
	const unsigned nSeed = (unsigned)Setting("MENDLE_RANDOM_SEED", "20261205");
	const long nSteps = (long)(Setting("MENDLE_RANDOM_EVENTS", "100000") / 2);
	std::printf("random input: seed %u, %ld events in each mode\n", nSeed, nSteps);
	std::mt19937 random(nSeed);
	auto Next = [&random](int nMax) { return std::uniform_int_distribution<int>(0, nMax - 1)(random); };
	auto Pick = [&Next](std::initializer_list<UINT> values) { return values.begin()[Next((int)values.size())]; };
	SetKeyDown(VK_SHIFT, false);
	bool bShift = false;
	CImportPatch timer(NULL, "user32.dll", "SetTimer", (FARPROC)RecordTimer);
	for (DWORD dwStyle : { WS_CHILD | ES_MULTILINE, WS_CHILD })
	{
		CHexEditProbe control;
		Create(control, 390, 190, 0, dwStyle);
		control.SetBytesPerRow(16, TRUE, FALSE);
		control.SetFocus();
		CHexEditModel model(control);
		CSize size(400, 200);
		const BYTE* pData;
		LPARAM lPress = 0;
		auto Point = [&]() { return MAKELPARAM(Next(size.cx + 80) - 40, Next(size.cy + 80) - 40); };
		for (long nStep = 0; nStep < nSteps; ++nStep)
		{
			const int nAction = Next(13);
			switch (nAction)
			{
			case 0:
			case 1:
				// The keyboard state is set only when Shift changes: each change is a round trip.
				if (bShift != (Next(2) == 0))
					SetKeyDown(VK_SHIFT, bShift = !bShift);
				control.SendMessage(WM_KEYDOWN, Pick({ VK_TAB, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, 'A' }), 1);
				break;
			case 2: control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, lPress = Point()); break;
			case 3:
				// Now and then just around the press, where a drag has not begun.
				control.SendMessage(WM_MOUSEMOVE, Next(4) == 0 ? 0 : MK_LBUTTON, Next(4) != 0 ? Point() : MAKELPARAM(LOWORD(lPress) + Next(5) - 2, HIWORD(lPress) + Next(5) - 2));
				break;
			case 4: control.SendMessage(WM_LBUTTONUP, 0, Point()); break;
			case 5: control.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point()); break;
			case 6: control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(Next(1201) - 600)), 0); break;
			case 7: control.SendMessage(Next(2) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(Next(9), Next(5000)), 0); break;
			case 8: control.SendMessage(WM_TIMER, Next(8) == 0 ? 7 : 1024); break;
			case 9: control.SendMessage(WM_CHAR, "0123456789abcdefXg \b"[Next(20)], 0); break;
			case 10:
				m_data.assign(Pick({ 0, 1, 2, 15, 16, 17, 300, 5000, 0x10000 }), (BYTE)Next(256));
				pData = Next(6) == 0 ? NULL : m_data.data();
				control.SetData(pData, (UINT)m_data.size(), Next(2));
				model.SetData(pData, (UINT)m_data.size());
				break;
			case 11:
				// Whatever a setting's type allows, in a 32-bit process as in a 64-bit one.
				if (Next(3) == 0)
					control.SetBytesPerRow(Pick({ 0, 1, 16, 0x55555556, 0x80000000, UINT_MAX }), Next(2), Next(2));
				else if (Next(2) == 0)
					control.SetAddressSize((BYTE)Pick({ 0, 4, 8, 255 }), Next(2));
				else
				{
					const UINT nBegin = Pick({ 0, 5, 0x9000, INT_MAX, NONE - 1, NONE }), nEnd = Pick({ 0, 7, 0x9000, INT_MAX, NONE });
					const bool bMakeVisible = Next(2);
					control.SetSelection(std::min(nBegin, nEnd), std::max(nBegin, nEnd), bMakeVisible, Next(2));
					model.SetSelection(std::min(nBegin, nEnd), std::max(nBegin, nEnd), bMakeVisible);
				}
				break;
			default:
				if (Next(2) != 0)
					control.SendMessage(WM_PAINT);
				else if (Next(50) == 0)
					control.MoveWindow(0, 0, size.cx = Pick({ 0, 7000 }), size.cy = Pick({ 0, 20 }));
				else
					control.MoveWindow(0, 0, size.cx = Next(500), size.cy = Next(300));
				break;
			}
			// Every 64th step the queue is emptied; right after each update (showing a bar lays the control
			// out again) and at the end, the bars show the layout: largest top row, full rows, text and
			// view widths; they show while they scroll. No timer ticks, so that a seed replays the same run.
			std::pair<std::vector<std::vector<int>>, std::vector<std::vector<int>>> bars;
			MSG msg;
			for (bool bQueued = nStep % 64 == 0; bQueued && bars.first == bars.second;)
				if (!(bQueued = ::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE) != FALSE) || (::DispatchMessage(&msg), msg.message == WM_HEXEDIT_UPDATESCROLLBARS))
					bars = BarsAndLayout(control, (dwStyle & ES_MULTILINE) != 0);
			const std::string strModel = model.Differences();
			ASSERT_TRUE(bars.first == bars.second && strModel.empty() && s_timer.first == 1024 && s_timer.second == 5) << strModel << "seed " << nSeed
				<< ", style " << dwStyle << ", step " << nStep << " (action " << nAction << "): bars " << testing::PrintToString(bars.first) << " for " << testing::PrintToString(bars.second);
		}
	}
	SetKeyDown(VK_SHIFT, false);
}
