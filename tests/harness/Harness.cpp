#include "Harness.h"

bool ShowsText(HWND hWnd, const CRect& rc, COLORREF crText, const char* pszText, HGDIOBJ hFont)
{
	::UpdateWindow(hWnd);
	HDC hWindowDC = ::GetDC(hWnd);
	HDC hDC = ::CreateCompatibleDC(hWindowDC);
	HBITMAP hBitmap = ::CreateCompatibleBitmap(hWindowDC, rc.Width(), rc.Height());
	HGDIOBJ hOldBitmap = ::SelectObject(hDC, hBitmap);
	HGDIOBJ hOldFont = ::SelectObject(hDC, hFont);
	RECT rcText = { 0, 0, rc.Width(), rc.Height() };
	::FillRect(hDC, &rcText, (HBRUSH)::GetStockObject(WHITE_BRUSH));
	::SetTextColor(hDC, RGB(0, 0, 0));
	::SetBkMode(hDC, TRANSPARENT);
	::DrawTextA(hDC, pszText, -1, &rcText, DT_SINGLELINE | DT_NOPREFIX);
	bool bSame = rc.Width() > 0 && rc.Height() > 0;
	for (int y = 0; y < rc.Height() && bSame; ++y)
		for (int x = 0; x < rc.Width() && bSame; ++x)
			bSame = (::GetPixel(hWindowDC, rc.left + x, rc.top + y) == crText) == (::GetPixel(hDC, x, y) == 0);
	::SelectObject(hDC, hOldFont);
	::SelectObject(hDC, hOldBitmap);
	::DeleteObject(hBitmap);
	::DeleteDC(hDC);
	::ReleaseDC(hWnd, hWindowDC);
	return bSame;
}
