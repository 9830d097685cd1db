// Memory running out inside the control's handlers: the runtime handles it as MFC does, the
// control stays consistent and frees what it took. The allocator of this test program fails the
// n-th allocation on request; it sees the control's own allocations, not the runtime's.
#include "HexEditTest.h"
#include "ModalDriver.h"
#include <afxole.h>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
// Blocks are counted from FailAt on, in a table of their own: the runtime frees some of them
// (and this program frees blocks the runtime made), so only the blocks it made here are known.
struct CAllocatorHook
{
	static const size_t TABLE_SIZE = 4096;
	struct Block { void* p; size_t nSize; };

	bool bTracking = false;
	long nFailAt = 0;     // the allocation to fail, counting from 1; 0 fails none
	long nCount = 0;
	bool bFailed = false;
	size_t nBlocks = 0;
	Block blocks[TABLE_SIZE] = {};

	void FailAt(long n)
	{
		bTracking = true;
		nFailAt = n;
		nCount = 0;
		bFailed = false;
	}

	void Disarm()
	{
		nFailAt = 0;
	}

	// The blocks made since tracking began that are still live, and their bytes.
	size_t Live(size_t* pnBytes = NULL) const
	{
		size_t nLive = 0, nBytes = 0;
		for (const Block& block : blocks)
			if (block.p != NULL)
			{
				++nLive;
				nBytes += block.nSize;
			}
		if (pnBytes != NULL)
			*pnBytes = nBytes;
		return nLive;
	}

	void Forget()
	{
		bTracking = false;
		nFailAt = 0;
		nBlocks = 0;
		for (Block& block : blocks)
			block = Block();
	}

	void Add(void* p, size_t nSize)
	{
		for (Block& block : blocks)
			if (block.p == NULL)
			{
				block = { p, nSize };
				++nBlocks;
				return;
			}
	}

	void Remove(void* p)
	{
		for (Block& block : blocks)
			if (block.p == p)
			{
				block = Block();
				--nBlocks;
				return;
			}
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
	if (p != NULL && g_hook.bTracking)
		g_hook.Add(p, nSize);
	return p;
}

// The replaced operators allocate with malloc, so free is their match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void HookedFree(void* p) noexcept
{
	if (p == NULL)
		return;
	if (g_hook.nBlocks != 0)
		g_hook.Remove(p);
	std::free(p);
}
#pragma GCC diagnostic pop
}

void* operator new(size_t n)
{
	void* p = HookedAlloc(n);
	if (p == NULL)
		throw std::bad_alloc();
	return p;
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return HookedAlloc(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return HookedAlloc(n); }
void operator delete(void* p) noexcept { HookedFree(p); }
void operator delete[](void* p) noexcept { HookedFree(p); }
void operator delete(void* p, size_t) noexcept { HookedFree(p); }
void operator delete[](void* p, size_t) noexcept { HookedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { HookedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { HookedFree(p); }

class HexEditMemoryTest : public HexEditTest
{
protected:
	void SetUp() override
	{
		HexEditTest::SetUp();
		CreateControl(m_control, 77, 640, 120);
		m_data.resize(0x400);
		for (size_t i = 0; i < m_data.size(); ++i)
			m_data[i] = (BYTE)(i * 13);
		m_control.SetData(m_data.data(), (UINT)m_data.size(), TRUE);
		m_control.SetShowAddress(TRUE, FALSE);
		m_control.SetShowAscii(TRUE, TRUE);
		m_control.SetFocus();
		m_control.SetSelection(20, 70, FALSE, TRUE);
		m_control.UpdateWindow();
		Pump();
	}

	void TearDown() override
	{
		g_hook.Forget();
		m_control.DestroyWindow();
		HexEditTest::TearDown();
	}

	// The client area as painted.
	std::vector<DWORD> Snapshot()
	{
		CRect rc;
		m_control.GetClientRect(&rc);
		BITMAPINFO bmi = {};
		bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
		bmi.bmiHeader.biWidth = rc.Width();
		bmi.bmiHeader.biHeight = -rc.Height();
		bmi.bmiHeader.biPlanes = 1;
		bmi.bmiHeader.biBitCount = 32;
		void* pBits = NULL;
		HDC hWindowDC = ::GetDC(m_control.m_hWnd);
		HDC hMemDC = ::CreateCompatibleDC(hWindowDC);
		HBITMAP hBitmap = ::CreateDIBSection(hWindowDC, &bmi, DIB_RGB_COLORS, &pBits, NULL, 0);
		HGDIOBJ hOld = ::SelectObject(hMemDC, hBitmap);
		::BitBlt(hMemDC, 0, 0, rc.Width(), rc.Height(), hWindowDC, 0, 0, SRCCOPY);
		::GdiFlush();
		std::vector<DWORD> pixels((const DWORD*)pBits, (const DWORD*)pBits + rc.Width() * rc.Height());
		::SelectObject(hMemDC, hOld);
		::DeleteObject(hBitmap);
		::DeleteDC(hMemDC);
		::ReleaseDC(m_control.m_hWnd, hWindowDC);
		return pixels;
	}

	CHexEditProbe m_control;
	std::vector<BYTE> m_data;
};

// Each allocation of a paint fails in turn: the window is validated instead of failing again at
// once, no message box interrupts the user, and the next paint shows the same picture.
TEST_F(HexEditMemoryTest, AFailedPaintIsValidatedAndLeavesNothingBehind)
{
	CModalDriver modals;
	const std::vector<DWORD> painted = Snapshot();
	long nFailures = 0;
	for (long n = 1; n < 100; ++n)
	{
		m_control.InvalidateRect(NULL, FALSE);
		g_hook.Forget();
		g_hook.FailAt(n);
		m_control.UpdateWindow();
		g_hook.Disarm();
		EXPECT_EQ(0u, g_hook.Live()) << n;
		if (!g_hook.bFailed)
			break;
		++nFailures;
		EXPECT_FALSE(IsInvalid(m_control.m_hWnd)) << n;
	}
	EXPECT_GE(nFailures, 2);
	EXPECT_TRUE(modals.m_records.empty());
	m_control.InvalidateRect(NULL, FALSE);
	m_control.UpdateWindow();
	EXPECT_TRUE(painted == Snapshot());
}

// A copy that runs out of memory at any step reports it, leaves the clipboard as it was and
// frees its blocks; the data source alone is the runtime's to free.
TEST_F(HexEditMemoryTest, AFailedCopyIsReportedAndFreesItsBlocks)
{
	CModalDriver modals;
	ASSERT_TRUE(::OpenClipboard(m_control.m_hWnd));
	::EmptyClipboard();
	HGLOBAL hBefore = ::GlobalAlloc(GMEM_MOVEABLE, 7);
	std::memcpy(::GlobalLock(hBefore), "before", 7);
	::GlobalUnlock(hBefore);
	::SetClipboardData(CF_TEXT, hBefore);
	::CloseClipboard();

	long nFailures = 0;
	for (long n = 1; n < 100; ++n)
	{
		SCOPED_TRACE(n);
		modals.m_records.clear();
		g_hook.Forget();
		g_hook.FailAt(n);
		LRESULT lResult = m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY, 0);
		g_hook.Disarm();
		size_t nBytes = 0;
		const size_t nLive = g_hook.Live(&nBytes);
		EXPECT_TRUE(nLive == 0 || (nLive == 1 && nBytes == sizeof(COleDataSource))) << nLive << " " << nBytes;
		if (!g_hook.bFailed)
			break;
		++nFailures;
		EXPECT_EQ(TRUE, lResult);
		ASSERT_EQ(1u, modals.m_records.size());
		EXPECT_EQ("Out of memory.", modals.m_records[0].strText);
		EXPECT_EQ((UINT)MB_ICONEXCLAMATION, modals.m_records[0].nIcon);
		COleDataObject clipboard;
		ASSERT_TRUE(clipboard.AttachClipboard());
		EXPECT_FALSE(clipboard.IsDataAvailable((CLIPFORMAT)m_control.m_cfBinaryData));
	}
	EXPECT_GE(nFailures, 2);
	COleDataObject clipboard;
	ASSERT_TRUE(clipboard.AttachClipboard());
	EXPECT_TRUE(clipboard.IsDataAvailable((CLIPFORMAT)m_control.m_cfBinaryData));
}

// SetData that cannot copy the new bytes throws the memory exception, frees the old copy and
// leaves a control without data that paints its background alone.
TEST_F(HexEditMemoryTest, AFailedSetDataLeavesAnEmptyControl)
{
	std::vector<BYTE> more(0x800, 0x5A);
	g_hook.FailAt(0);
	m_control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
	ASSERT_EQ(1u, g_hook.Live());
	bool bThrown = false;
	g_hook.FailAt(1);
	try
	{
		m_control.SetData(more.data(), (UINT)more.size(), FALSE);
	}
	catch (CMemoryException* e)
	{
		bThrown = true;
		e->Delete();
	}
	g_hook.Disarm();
	EXPECT_TRUE(bThrown);
	EXPECT_EQ(0u, g_hook.Live());
	EXPECT_EQ(nullptr, m_control.m_pData);
	EXPECT_EQ(0u, m_control.m_nLength);
	EXPECT_FALSE(m_control.HasSelection());
	m_control.HideCaret();  // the caret is no data
	m_control.UpdateWindow();
	const DWORD crBackground = RGB(GetBValue(m_control.m_crBackground), GetGValue(m_control.m_crBackground),
		GetRValue(m_control.m_crBackground));
	for (DWORD cr : Snapshot())
		ASSERT_EQ(crBackground, cr & 0xFFFFFF);

	m_control.SetData(more.data(), (UINT)more.size(), TRUE);
	EXPECT_EQ(0x800u, m_control.m_nLength);
	EXPECT_EQ(0x5A, m_control.m_pData[0x7FF]);
}
