#include "afximpl.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
	ON_WM_CREATE()
	ON_WM_SIZE()
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

CFrameWnd::CFrameWnd() : m_pViewActive(NULL) {}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
	CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext)
{
	HMENU hMenu = lpszMenuName != NULL ? ::LoadMenu(AfxFindResourceHandle(lpszMenuName, RT_MENU), lpszMenuName) : NULL;
	int cx = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
	int cy = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
	return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, cx, cy,
		AfxHandleOf(pParentWnd, &CWnd::m_hWnd), hMenu, (LPVOID)pContext);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
	if (cs.lpszClass == NULL)
		cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(NULL, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
	return CWnd::PreCreateWindow(cs);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
	if (CWnd::OnCreate(lpCreateStruct) == -1)
		return -1;
	CCreateContext* pContext = (CCreateContext*)lpCreateStruct->lpCreateParams;
	if (pContext != NULL && pContext->m_pNewViewClass != NULL && CreateView(pContext) == NULL)
		return -1;
	RecalcLayout();
	return 0;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
	CView* pView = DYNAMIC_DOWNCAST(CView, pContext->m_pNewViewClass->CreateObject());
	if (pView == NULL)
		return NULL;
	// A view that fails to create deletes itself with its window.
	if (!pView->Create(NULL, NULL, AFX_WS_DEFAULT_VIEW & ~WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext))
		return NULL;
	m_pViewActive = pView;
	return pView;
}

// The view fills the client area.
void CFrameWnd::RecalcLayout(BOOL)
{
	HWND hView = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
	if (hView == NULL)
		return;
	CRect rc;
	GetClientRect(&rc);
	::MoveWindow(hView, 0, 0, rc.Width(), rc.Height(), TRUE);
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
	CWnd::OnSize(nType, cx, cy);
	RecalcLayout();
}

void CFrameWnd::PostNcDestroy()
{
	delete this;
}
