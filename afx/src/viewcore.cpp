#include "afximpl.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
	ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CView::PreCreateWindow(CREATESTRUCT& cs)
{
	if (cs.lpszClass == NULL)
		cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(NULL, IDC_ARROW));
	cs.style |= WS_CLIPSIBLINGS;
	return CWnd::PreCreateWindow(cs);
}

void CView::OnPaint()
{
	CPaintDC dc(this);
	OnDraw(&dc);
}

void CView::PostNcDestroy()
{
	delete this;
}
