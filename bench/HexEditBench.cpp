// Paint and scroll costs of the hex control, each figure measured side by side in one run.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "hexedit/HexEditBase.h"
#include "res/resource.h"
#include <cstdio>
#include <string>
#include <vector>

class CBenchApp : public CWinApp
{
public:
	CBenchApp() : CWinApp(_T("Mendle benchmarks")) {}
};

CBenchApp theBenchApp;

class CBenchHexEdit : public CHexEditBase
{
public:
	using CHexEditBase::SetTopRow;
	using CHexEditBase::m_nMaxTopRow;
};

static double Now()
{
	LARGE_INTEGER count, frequency;
	::QueryPerformanceCounter(&count);
	::QueryPerformanceFrequency(&frequency);
	return (double)count.QuadPart / (double)frequency.QuadPart;
}

static void Repaint(HWND hWnd)
{
	::InvalidateRect(hWnd, NULL, TRUE);
	::UpdateWindow(hWnd);
}

// Microseconds per full repaint of the window.
static double FrameMicroseconds(HWND hWnd, int nFrames)
{
	Repaint(hWnd);
	double t0 = Now();
	for (int i = 0; i < nFrames; ++i)
		Repaint(hWnd);
	return (Now() - t0) * 1e6 / nFrames;
}

// A control like the page's snapshot: four address digits, ASCII column, rows fitted to the width.
static void CreateControl(CBenchHexEdit& control, CWnd& parent, int cx, int cy, const std::vector<BYTE>& data)
{
	RECT rc = { 0, 0, cx, cy };
	control.Create(NULL, WS_CHILD | WS_VISIBLE | ES_MULTILINE, rc, &parent, 1);
	control.SetAddressSize(4, FALSE);
	control.SetShowAddress(TRUE, FALSE);
	control.SetShowAscii(TRUE, FALSE);
	control.SetBytesPerRow(16, TRUE, FALSE);
	control.SetData(data.data(), (UINT)data.size(), TRUE);
}

// The same bytes as a read-only EDIT control would show them: one dump line per 16 bytes.
static std::string HexDump(const std::vector<BYTE>& data)
{
	std::string strText;
	char szLine[96];
	for (size_t i = 0; i < data.size(); i += 16)
	{
		int n = std::snprintf(szLine, sizeof(szLine), "%04X ", (unsigned)i);
		for (size_t j = i; j < i + 16 && j < data.size(); ++j)
			n += std::snprintf(szLine + n, sizeof(szLine) - n, " %02X", data[j]);
		n += std::snprintf(szLine + n, sizeof(szLine) - n, "  ");
		for (size_t j = i; j < i + 16 && j < data.size(); ++j)
			szLine[n++] = data[j] >= 0x20 && data[j] < 0x7F ? (char)data[j] : '.';
		strText.append(szLine, n);
		strText += "\r\n";
	}
	return strText;
}

int main()
{
	AfxWinInit(::GetModuleHandle(NULL), NULL, const_cast<LPTSTR>(_T("")), SW_SHOWNORMAL);

	// The snapshot's size as the page lays it out.
	CRect rcSnapshot;
	{
		CModalDriver modals;
		CPageHarness page;
		::GetClientRect(page.Item(IDC_SNAPSHOT), &rcSnapshot);
	}
	CWnd parent;
	parent.CreateEx(0, _T("Static"), _T("bench"), WS_POPUP | WS_VISIBLE, 0, 0, 1700, 1300, NULL, NULL);

	std::vector<BYTE> data64k(65536);
	for (size_t i = 0; i < data64k.size(); ++i)
		data64k[i] = (BYTE)(i * 7 + (i >> 8));

	CBenchHexEdit snapshot;
	CreateControl(snapshot, parent, rcSnapshot.Width(), rcSnapshot.Height(), data64k);
	double dSnapshot = FrameMicroseconds(snapshot.m_hWnd, 300);
	std::printf("1. full paint, page snapshot %dx%d, 64 KiB: %.1f us/frame\n", rcSnapshot.Width(),
		rcSnapshot.Height(), dSnapshot);
	{
		CBenchHexEdit large;
		CreateControl(large, parent, 1600, 1200, data64k);
		double dLarge = FrameMicroseconds(large.m_hWnd, 60);
		std::printf("   full paint, 1600x1200, 64 KiB: %.1f us/frame (%.1fx the snapshot)\n", dLarge, dLarge / dSnapshot);
	}

	std::vector<BYTE> data64(64, 0x5A), data16m(16 << 20, 0xA5);
	double adFrame[3];
	const std::vector<BYTE>* apData[3] = { &data64, &data64k, &data16m };
	for (int i = 0; i < 3; ++i)
	{
		CBenchHexEdit control;
		CreateControl(control, parent, rcSnapshot.Width(), rcSnapshot.Height(), *apData[i]);
		adFrame[i] = FrameMicroseconds(control.m_hWnd, 300);
	}
	std::printf("2. frame with 64 B: %.1f us, 64 KiB: %.1f us, 16 MiB: %.1f us; 16 MiB / 64 B: %.2f\n",
		adFrame[0], adFrame[1], adFrame[2], adFrame[2] / adFrame[0]);

	// Thumb-track from the first row to the last, one frame per row.
	double t0 = Now();
	UINT nRows = snapshot.m_nMaxTopRow;
	for (UINT nRow = 0; nRow <= nRows; ++nRow)
	{
		snapshot.SetTopRow(nRow, TRUE);
		snapshot.UpdateWindow();
	}
	double dHexFps = (nRows + 1) / (Now() - t0);

	HWND hEdit = ::CreateWindowEx(0, _T("Edit"), NULL, WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
		0, 0, rcSnapshot.Width(), rcSnapshot.Height(), parent.m_hWnd, NULL, NULL, NULL);
	::SendMessage(hEdit, EM_SETLIMITTEXT, 0, 0);
	::SendMessage(hEdit, WM_SETFONT, (WPARAM)::GetStockObject(OEM_FIXED_FONT), FALSE);
	::SetWindowTextA(hEdit, HexDump(data64k).c_str());
	int nLines = (int)::SendMessage(hEdit, EM_GETLINECOUNT, 0, 0);
	t0 = Now();
	int nFrames = 0;
	for (int nLine = 0; nLine < nLines; ++nLine, ++nFrames)
	{
		::SendMessage(hEdit, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, nLine), 0);
		::UpdateWindow(hEdit);
	}
	double dEditFps = nFrames / (Now() - t0);
	std::printf("3. thumb-track scroll over 64 KiB: hex control %.0f frames/s, EDIT hex dump %.0f frames/s; ratio %.2f\n",
		dHexFps, dEditFps, dHexFps / dEditFps);

	// The floor: copying the client area alone.
	HDC hDC = ::GetDC(snapshot.m_hWnd);
	HDC hMemDC = ::CreateCompatibleDC(hDC);
	HBITMAP hBitmap = ::CreateCompatibleBitmap(hDC, rcSnapshot.Width(), rcSnapshot.Height());
	HGDIOBJ hOld = ::SelectObject(hMemDC, hBitmap);
	const int nBlits = 1000;
	t0 = Now();
	for (int i = 0; i < nBlits; ++i)
		::BitBlt(hDC, 0, 0, rcSnapshot.Width(), rcSnapshot.Height(), hMemDC, 0, 0, SRCCOPY);
	::GdiFlush();
	double dBlit = (Now() - t0) * 1e6 / nBlits;
	::SelectObject(hMemDC, hOld);
	::DeleteObject(hBitmap);
	::DeleteDC(hMemDC);
	::ReleaseDC(snapshot.m_hWnd, hDC);
	std::printf("4. BitBlt of the client area alone: %.1f us; full frame / BitBlt: %.1f\n", dBlit, dSnapshot / dBlit);

	::DestroyWindow(hEdit);
	return 0;
}
