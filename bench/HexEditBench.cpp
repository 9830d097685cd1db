// Paint and scroll costs of the hex control, each figure measured side by side in one run.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "hexedit/HexEditBase.h"
#include "res/resource.h"
#include <cstdio>

class CBenchApp : public CWinApp
{
public:
	CBenchApp() : CWinApp(_T("Mendle benchmarks")) {}
} theBenchApp;

class CBenchHexEdit : public CHexEditBase
{
public:
	using CHexEditBase::SetTopRow, CHexEditBase::m_nMaxTopRow;
};

// Microseconds per run of the action, over n runs.
static double Microseconds(int n, const std::function<void(int)>& action)
{
	LARGE_INTEGER t0, t1, frequency;
	::QueryPerformanceFrequency(&frequency);
	::QueryPerformanceCounter(&t0);
	for (int i = 0; i < n; ++i)
		action(i);
	::GdiFlush();
	::QueryPerformanceCounter(&t1);
	return (double)(t1.QuadPart - t0.QuadPart) * 1e6 / (double)frequency.QuadPart / n;
}

// A control like the page's snapshot (four address digits, ASCII column, rows fitted to the
// width) and the microseconds of a full frame.
static double Frame(CBenchHexEdit& control, CWnd& parent, CSize size, const std::vector<BYTE>& data)
{
	control.Create(NULL, WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, size.cx, size.cy), &parent, 1);
	control.SetAddressSize(4, FALSE);
	control.SetShowAscii(TRUE, FALSE);
	control.SetBytesPerRow(16, TRUE, FALSE);
	control.SetData(data.data(), (UINT)data.size(), TRUE);
	return Microseconds(200, [&control](int) { control.Invalidate(); control.UpdateWindow(); });
}

int main()
{
	AfxWinInit(::GetModuleHandle(NULL), NULL, const_cast<LPTSTR>(_T("")), SW_SHOWNORMAL);
	CRect rc;
	{
		CModalDriver modals;
		CPageHarness page;
		::GetClientRect(page.Item(IDC_SNAPSHOT), &rc);
	}
	const CSize size(rc.Width(), rc.Height());
	CWnd parent;
	parent.CreateEx(0, _T("Static"), _T("bench"), WS_POPUP | WS_VISIBLE, 0, 0, 1700, 1300, NULL, NULL);
	std::vector<BYTE> data64(64, 0x5A), data64k(65536), data16m(16 << 20, 0xA5);
	for (size_t i = 0; i < data64k.size(); ++i)
		data64k[i] = (BYTE)(i * 7 + (i >> 8));
	CBenchHexEdit snapshot, large, small, huge;
	const double dFrame = Frame(snapshot, parent, size, data64k), dLarge = Frame(large, parent, CSize(1600, 1200), data64k);
	const double dSmall = Frame(small, parent, size, data64), dHuge = Frame(huge, parent, size, data16m);
	std::printf("1. full paint, snapshot %ldx%ld, 64 KiB: %.1f us; 1600x1200: %.1f us (%.1fx)\n", (long)size.cx, (long)size.cy,
		dFrame, dLarge, dLarge / dFrame);
	std::printf("2. frame with 64 B: %.1f us, 16 MiB: %.1f us; 16 MiB / 64 B: %.2f\n", dSmall, dHuge, dHuge / dSmall);

	// Thumb-track from the first row to the last, one frame a row, against a read-only EDIT holding
	// the same bytes as a hex dump.
	const double dHex = Microseconds((int)snapshot.m_nMaxTopRow + 1, [&](int nRow) {
		snapshot.SetTopRow((UINT)nRow, TRUE);
		snapshot.UpdateWindow();
	});
	std::string strDump;
	for (size_t i = 0; i < data64k.size(); ++i)
	{
		char sz[8];
		strDump.append(sz, std::snprintf(sz, sizeof(sz), i % 16 == 15 ? "%02X\r\n" : "%02X ", data64k[i]));
	}
	HWND hEdit = ::CreateWindowEx(0, _T("Edit"), NULL, WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
		0, 0, size.cx, size.cy, parent.m_hWnd, NULL, NULL, NULL);
	::SendMessage(hEdit, EM_SETLIMITTEXT, 0, 0);
	::SendMessage(hEdit, WM_SETFONT, (WPARAM)::GetStockObject(OEM_FIXED_FONT), FALSE);
	::SetWindowTextA(hEdit, strDump.c_str());
	const double dEdit = Microseconds((int)::SendMessage(hEdit, EM_GETLINECOUNT, 0, 0), [hEdit](int nLine) {
		::SendMessage(hEdit, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, nLine), 0);
		::UpdateWindow(hEdit);
	});
	std::printf("3. thumb-track scroll over 64 KiB: hex control %.0f frames/s, EDIT dump %.0f frames/s; ratio %.2f\n",
		1e6 / dHex, 1e6 / dEdit, dEdit / dHex);

	// The floor: copying the client area alone, from memory to the screen as a paint ends.
	CClientDC dc(&snapshot);
	CDC memDC;
	memDC.CreateCompatibleDC(&dc);
	CBitmap bitmap;
	bitmap.CreateCompatibleBitmap(&dc, size.cx, size.cy);
	CBitmap* pOld = memDC.SelectObject(&bitmap);
	const double dBlit = Microseconds(1000, [&](int) { dc.BitBlt(0, 0, size.cx, size.cy, &memDC, 0, 0, SRCCOPY); });
	memDC.SelectObject(pOld);
	std::printf("4. BitBlt of the client area alone: %.1f us; full frame / BitBlt: %.1f\n", dBlit, dFrame / dBlit);
	::DestroyWindow(hEdit);
	return 0;
}
