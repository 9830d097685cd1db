#include "HexEditBaseView.h"

static const UINT ID_HEXEDIT = 256;

IMPLEMENT_DYNCREATE(CHexEditBaseView, CView)

BEGIN_MESSAGE_MAP(CHexEditBaseView, CView)
	ON_WM_CREATE()
	ON_WM_ERASEBKGND()
	ON_WM_SIZE()
END_MESSAGE_MAP()

CHexEditBaseView::CHexEditBaseView() = default;
CHexEditBaseView::~CHexEditBaseView() = default;

int CHexEditBaseView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
	if (CView::OnCreate(lpCreateStruct) != 0)
		return -1;
	CRect rc(0, 0, lpCreateStruct->cx, lpCreateStruct->cy);
	return m_wndHexEdit.Create(NULL, WS_CHILD | WS_VISIBLE | ES_MULTILINE, rc, this, ID_HEXEDIT) ? 0 : -1;
}

// The control covers the whole client area and paints all of it.
BOOL CHexEditBaseView::OnEraseBkgnd(CDC*)
{
	return TRUE;
}

void CHexEditBaseView::OnDraw(CDC*)
{
}

void CHexEditBaseView::OnSize(UINT, int cx, int cy)
{
	Default();
	if (::IsWindow(m_hWnd))
		m_wndHexEdit.MoveWindow(0, 0, cx, cy, TRUE);
}
