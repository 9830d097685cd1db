#include "HexEditTest.h"

void HexEditTest::SetUp()
{
	ASSERT_TRUE(m_parent.CreateEx(0, _T("Static"), _T("parent"), WS_POPUP | WS_VISIBLE, 0, 0, 1000, 700, NULL, NULL));
	m_cell = StockFontCell();
}

void HexEditTest::Create(CHexEditProbe& control, int cx, int cy, UINT nLength, DWORD dwStyle)
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
	control.Layout();
}

void HexEditTest::Pump()
{
	MSG msg;
	while (::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE))
		::DispatchMessage(&msg);
}

bool HexEditTest::IsInvalid(HWND hWnd)
{
	RECT rc;
	return ::GetUpdateRect(hWnd, &rc, FALSE) && !::IsRectEmpty(&rc);
}
