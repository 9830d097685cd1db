#include "afximpl.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinThread::CWinThread() : m_pMainWnd(NULL) {}

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
	return CWnd::WalkPreTranslateTree(m_pMainWnd->GetSafeHwnd(), pMsg);
}

BOOL CWinThread::OnIdle(LONG)
{
	AfxUnlockTempMaps();
	return FALSE;
}

BOOL CWinThread::PumpMessage()
{
	MSG msg;
	if (!::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE))
		OnIdle(0);
	if (::GetMessage(&msg, NULL, 0, 0) <= 0)
		return FALSE;
	if (!PreTranslateMessage(&msg))
	{
		::TranslateMessage(&msg);
		::DispatchMessage(&msg);
	}
	return TRUE;
}

int CWinThread::Run()
{
	while (PumpMessage())
	{
	}
	return ExitInstance();
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCTSTR lpszAppName)
	: m_pszAppName(lpszAppName), m_hInstance(NULL), m_lpCmdLine(NULL), m_nCmdShow(SW_SHOWNORMAL)
{
	AfxGetModuleState()->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp()
{
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
		if (!m_strAppName.LoadString(AFX_IDS_APP_TITLE))
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
			m_strAppName = lpszName;
		}
		m_pszAppName = m_strAppName;
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

int CWinApp::Run()
{
	return CWinThread::Run();
}

// Owned by the active top-level window, which stays disabled while the box is up.
static int ShowAppMessageBox(LPCTSTR lpszPrompt, LPCTSTR lpszTitle, UINT nType)
{
	HWND hWndTop = NULL;
	HWND hWnd = CWnd::GetSafeOwner_(NULL, &hWndTop);
	int nResult = ::MessageBox(hWnd, lpszPrompt, lpszTitle, nType);
	if (hWndTop != NULL)
		::EnableWindow(hWndTop, TRUE);
	return nResult;
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

int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
	CString strPrompt;
	strPrompt.LoadString(nIDPrompt);
	return AfxMessageBox(strPrompt, nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
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
