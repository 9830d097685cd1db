#include "afximpl.h"
#include <cstdlib>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinThread::CWinThread() : m_pMainWnd(NULL), m_msgCur(), m_msgLastMouseMove() {}

BOOL CWinThread::InitInstance()
{
	return FALSE;
}

int CWinThread::ExitInstance()
{
	return 0;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
	return CWnd::WalkPreTranslateTree(AfxHandleOf(m_pMainWnd, &CWnd::m_hWnd), pMsg);
}

// Temporary objects go from the second idle call on: by then no handler holds one.
BOOL CWinThread::OnIdle(LONG lCount)
{
	if (lCount > 0)
		AfxUnlockTempMaps();
	return lCount < 0;
}

// One message, without idle processing: modal loops pump with it, and no temporary object may
// vanish under a caller that waits in one.
BOOL CWinThread::PumpMessage()
{
	if (::GetMessage(&m_msgCur, NULL, 0, 0) <= 0)
		return FALSE;
	if (!PreTranslateMessage(&m_msgCur))
	{
		::TranslateMessage(&m_msgCur);
		::DispatchMessage(&m_msgCur);
	}
	return TRUE;
}

// Messages after which idle processing starts again: not paints, caret blinks or a mouse
// that did not move.
BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
	const UINT WM_SYSTIMER = 0x0118;
	if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE)
	{
		if (pMsg->message == m_msgLastMouseMove.message && pMsg->pt.x == m_msgLastMouseMove.pt.x &&
			pMsg->pt.y == m_msgLastMouseMove.pt.y)
			return FALSE;
		m_msgLastMouseMove = *pMsg;
		return TRUE;
	}
	return pMsg->message != WM_PAINT && pMsg->message != WM_SYSTIMER;
}

// A failed creation fails the window; a failed paint validates it, or it would fail again at once.
static LRESULT ProcessThreadException(const MSG* pMsg)
{
	if (pMsg->message == WM_CREATE)
		return -1;
	if (pMsg->message == WM_PAINT)
		::ValidateRect(pMsg->hwnd, NULL);
	return 0;
}

LRESULT CWinThread::ProcessWndProcException(CException*, const MSG* pMsg)
{
	return ProcessThreadException(pMsg);
}

LRESULT AFXAPI AfxProcessWndProcException(CException* e, const MSG* pMsg)
{
	CWinApp* pApp = AfxGetApp();
	return pApp != NULL ? pApp->ProcessWndProcException(e, pMsg) : ProcessThreadException(pMsg);
}

// Idle processing, with a growing count, while the queue is empty and OnIdle asks for more.
int CWinThread::Run()
{
	BOOL bIdle = TRUE;
	LONG lIdleCount = 0;
	MSG msg;
	for (;;)
	{
		while (bIdle && !::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE))
			bIdle = OnIdle(lIdleCount++);
		do
		{
			if (!PumpMessage())
				return ExitInstance();
			if (IsIdleMessage(&m_msgCur))
			{
				bIdle = TRUE;
				lIdleCount = 0;
			}
		} while (::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE));
	}
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

// The name lives on the heap, so that an application may free it and set its own with _tcsdup.
CWinApp::CWinApp(LPCTSTR lpszAppName)
	: m_pszAppName(lpszAppName != NULL ? _tcsdup(lpszAppName) : NULL), m_hInstance(NULL)
{
	AfxGetModuleState()->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp()
{
	std::free((void*)m_pszAppName);
	if (m_pModuleState->m_pCurrentWinApp == this)
	{
		m_pModuleState->m_pCurrentWinApp = NULL;
		m_pModuleState->m_lpszCurrentAppName = NULL;
	}
}

// The application's name: as given, else string AFX_IDS_APP_TITLE, else the module's file name.
void CWinApp::SetCurrentHandles()
{
	if (m_pszAppName == NULL)
	{
		CString strName;
		if (!strName.LoadString(AFX_IDS_APP_TITLE))
		{
			TCHAR szPath[_MAX_PATH];
			DWORD nLen = ::GetModuleFileName(m_hInstance, szPath, _MAX_PATH);
			szPath[nLen < _MAX_PATH ? nLen : _MAX_PATH - 1] = '\0';
			LPTSTR lpszName = szPath;
			for (LPTSTR p = szPath; *p != '\0'; ++p)
				if (*p == '\\' || *p == '/')
					lpszName = p + 1;
			LPTSTR lpszDot = _tcsrchr(lpszName, '.');
			if (lpszDot != NULL)
				*lpszDot = '\0';
			strName = lpszName;
		}
		m_pszAppName = _tcsdup(strName);
	}
	m_pModuleState->m_lpszCurrentAppName = m_pszAppName;
}

BOOL CWinApp::InitApplication()
{
	return TRUE;
}

BOOL CWinApp::InitInstance()
{
	return TRUE;
}

int CWinApp::ExitInstance()
{
	return 0;
}

// The first call asks for a second, which frees the temporary objects.
BOOL CWinApp::OnIdle(LONG lCount)
{
	if (lCount <= 0)
	{
		CWinThread::OnIdle(lCount);
		return TRUE;
	}
	if (lCount == 1)
		CWinThread::OnIdle(lCount);
	return FALSE;
}

int CWinApp::Run()
{
	return CWinThread::Run();
}

// Anything but a creation or a paint is reported; a command that failed counts as handled.
LRESULT CWinApp::ProcessWndProcException(CException* e, const MSG* pMsg)
{
	if (pMsg->message == WM_CREATE || pMsg->message == WM_PAINT)
		return CWinThread::ProcessWndProcException(e, pMsg);
	UINT nIDP = AFX_IDP_INTERNAL_FAILURE;
	LRESULT lResult = 0;
	if (pMsg->message == WM_COMMAND)
	{
		if ((HWND)pMsg->lParam == NULL)
			nIDP = AFX_IDP_COMMAND_FAILURE;
		lResult = TRUE;
	}
	if (e->IsKindOf(RUNTIME_CLASS(CMemoryException)))
		e->ReportError(MB_ICONEXCLAMATION | MB_SYSTEMMODAL, nIDP);
	else
		e->ReportError(MB_ICONSTOP, nIDP);
	return lResult;
}

// Owned by the active top-level window, which stays disabled while the box is up.
static int ShowAppMessageBox(LPCTSTR lpszPrompt, LPCTSTR lpszTitle, UINT nType)
{
	HWND hWndTop = NULL;
	HWND hWnd = CWnd::GetSafeOwner_(NULL, &hWndTop);
	CReenableOnExit top(hWndTop);
	return ::MessageBox(hWnd, lpszPrompt, lpszTitle, nType);
}

int CWinApp::DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT)
{
	return ShowAppMessageBox(lpszPrompt, m_pszAppName, nType);
}

int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp)
{
	CWinApp* pApp = AfxGetApp();
	if (pApp != NULL)
		return pApp->DoMessageBox(lpszText, nType, nIDHelp);
	return ShowAppMessageBox(lpszText, NULL, nType);
}

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow)
{
	int nReturnCode = -1;
	CWinApp* pApp = AfxGetApp();
	if (pApp != NULL && AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) &&
		pApp->InitApplication())
	{
		nReturnCode = pApp->InitInstance() ? pApp->Run() : pApp->ExitInstance();
	}
	AfxWinTerm();
	return nReturnCode;
}
