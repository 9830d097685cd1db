#include "afximpl.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
	ON_WM_CREATE()
	ON_WM_PAINT()
END_MESSAGE_MAP()

CView::CView() : m_pDocument(NULL) {}

BOOL CView::PreCreateWindow(CREATESTRUCT& cs)
{
	if (cs.lpszClass == NULL)
		cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(NULL, IDC_ARROW));
	cs.style |= WS_CLIPSIBLINGS;
	return CWnd::PreCreateWindow(cs);
}

// The document comes from the creation context, when there is one.
int CView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
	if (CWnd::OnCreate(lpCreateStruct) == -1)
		return -1;
	CCreateContext* pContext = (CCreateContext*)lpCreateStruct->lpCreateParams;
	if (pContext != NULL)
		m_pDocument = pContext->m_pCurrentDoc;
	return 0;
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
