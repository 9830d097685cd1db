#include "afximpl.h"
#include "../afxole.h"
#include <cstdio>

// The program's module state; libraries bring their own (see dllmodul.cpp).
static AFX_MODULE_STATE _afxBaseModuleState(FALSE, AfxWndProcBase);
static AFX_MODULE_STATE* _afxModuleChain = NULL;

AFX_MODULE_STATE::AFX_MODULE_STATE(BOOL bDLL, WNDPROC pfnAfxWndProc)
	: m_pCurrentWinApp(NULL), m_hCurrentInstanceHandle(NULL), m_hCurrentResourceHandle(NULL),
	  m_lpszCurrentAppName(NULL), m_bDLL((BYTE)bDLL), m_pfnAfxWndProc(pfnAfxWndProc),
	  m_pNextModule(NULL)
{
}

AFX_MODULE_STATE::~AFX_MODULE_STATE() = default;

_AFX_THREAD_STATE::~_AFX_THREAD_STATE()
{
	AfxUnlockTempMaps();
	if (m_hHookOldCbtFilter != NULL)
		::UnhookWindowsHookEx(m_hHookOldCbtFilter);
}

_AFX_THREAD_STATE* AFXAPI AfxGetThreadState()
{
	static thread_local _AFX_THREAD_STATE s_state;
	return &s_state;
}

AFX_MODULE_STATE* AFXAPI AfxGetAppModuleState()
{
	return &_afxBaseModuleState;
}

AFX_MODULE_STATE* AFXAPI AfxGetModuleState()
{
	AFX_MODULE_STATE* pState = AfxGetThreadState()->m_pModuleState;
	return pState != NULL ? pState : &_afxBaseModuleState;
}

AFX_MODULE_STATE* AFXAPI AfxSetModuleState(AFX_MODULE_STATE* pNewState)
{
	_AFX_THREAD_STATE* pThreadState = AfxGetThreadState();
	AFX_MODULE_STATE* pPrevState = pThreadState->m_pModuleState;
	pThreadState->m_pModuleState = pNewState;
	return pPrevState;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pModuleState)
	: m_pPrevModuleState(AfxSetModuleState(pModuleState))
{
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2()
{
	AfxSetModuleState(m_pPrevModuleState);
}

HINSTANCE AFXAPI AfxGetInstanceHandle()
{
	return AfxGetModuleState()->m_hCurrentInstanceHandle;
}

HINSTANCE AFXAPI AfxGetResourceHandle()
{
	return AfxGetModuleState()->m_hCurrentResourceHandle;
}

void AFXAPI AfxLinkModule(AFX_MODULE_STATE* pModuleState)
{
	pModuleState->m_pNextModule = _afxModuleChain;
	_afxModuleChain = pModuleState;
}

void AFXAPI AfxUnlinkModule(AFX_MODULE_STATE* pModuleState)
{
	for (AFX_MODULE_STATE** ppState = &_afxModuleChain; *ppState != NULL; ppState = &(*ppState)->m_pNextModule)
	{
		if (*ppState == pModuleState)
		{
			*ppState = pModuleState->m_pNextModule;
			break;
		}
	}
}

// The current module first, then the program, then the libraries in the chain.
HINSTANCE AFXAPI AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType)
{
	AFX_MODULE_STATE* pCurrent = AfxGetModuleState();
	HINSTANCE hCurrent = pCurrent->m_hCurrentResourceHandle;
	if (hCurrent != NULL && ::FindResource(hCurrent, lpszName, lpszType) != NULL)
		return hCurrent;
	HINSTANCE hApp = _afxBaseModuleState.m_hCurrentResourceHandle;
	if (hApp != NULL && ::FindResource(hApp, lpszName, lpszType) != NULL)
		return hApp;
	for (AFX_MODULE_STATE* pState = _afxModuleChain; pState != NULL; pState = pState->m_pNextModule)
	{
		HINSTANCE hInst = pState->m_hCurrentResourceHandle;
		if (hInst != NULL && ::FindResource(hInst, lpszName, lpszType) != NULL)
			return hInst;
	}
	return hCurrent;
}

CWinApp* AFXAPI AfxGetApp()
{
	return AfxGetModuleState()->m_pCurrentWinApp;
}

CWnd* AFXAPI AfxGetMainWnd()
{
	CWinApp* pApp = AfxGetApp();
	return pApp != NULL ? pApp->m_pMainWnd : NULL;
}

LPCTSTR AFXAPI AfxGetAppName()
{
	// The application may have replaced its name since start-up.
	CWinApp* pApp = AfxGetApp();
	return pApp != NULL ? pApp->m_pszAppName : AfxGetModuleState()->m_lpszCurrentAppName;
}

BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPTSTR, int)
{
	AFX_MODULE_STATE* pModuleState = AfxGetModuleState();
	pModuleState->m_hCurrentInstanceHandle = hInstance;
	pModuleState->m_hCurrentResourceHandle = hInstance;

	CWinApp* pApp = AfxGetApp();
	if (pApp != NULL)
	{
		pApp->m_hInstance = hInstance;
		pApp->SetCurrentHandles();
	}
	if (!pModuleState->m_bDLL)
	{
		INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES };
		::InitCommonControlsEx(&icc);
	}
	return TRUE;
}

// Unregisters the window classes that a library registered through AfxRegisterClass.
void AFXAPI AfxWinTerm()
{
	AFX_MODULE_STATE* pModuleState = AfxGetModuleState();
	CString& strList = pModuleState->m_strUnregisterList;
	LPCTSTR lpsz = strList;
	while (*lpsz != '\0')
	{
		LPCTSTR lpszEnd = _tcschr(lpsz, '\n');
		CString strClass(lpsz, (int)(lpszEnd - lpsz));
		::UnregisterClass(strClass, pModuleState->m_hCurrentInstanceHandle);
		lpsz = lpszEnd + 1;
	}
	strList.Empty();
	AfxUnlockTempMaps();
	if (!pModuleState->m_bDLL && AfxGetThreadState()->m_bOleInitialized)
		AfxOleTerm(FALSE);
}

BOOL AFXAPI AfxRegisterClass(WNDCLASS* lpWndClass)
{
	WNDCLASS wndcls;
	if (::GetClassInfo(lpWndClass->hInstance, lpWndClass->lpszClassName, &wndcls))
		return TRUE;
	if (!::RegisterClass(lpWndClass))
		return FALSE;
	AFX_MODULE_STATE* pModuleState = AfxGetModuleState();
	if (pModuleState->m_bDLL)
	{
		pModuleState->m_strUnregisterList += lpWndClass->lpszClassName;
		pModuleState->m_strUnregisterList += '\n';
	}
	return TRUE;
}

// A class with the given attributes, registered once under a name made from them.
LPCTSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
	static thread_local TCHAR s_szName[96];
	HINSTANCE hInstance = AfxGetInstanceHandle();
	std::snprintf(s_szName, _countof(s_szName), "Afx:%p:%x:%p:%p:%p", (void*)hInstance, nClassStyle,
		(void*)hCursor, (void*)hbrBackground, (void*)hIcon);
	WNDCLASS wndcls = {};
	wndcls.style = nClassStyle;
	wndcls.lpfnWndProc = ::DefWindowProc;
	wndcls.hInstance = hInstance;
	wndcls.hCursor = hCursor;
	wndcls.hbrBackground = hbrBackground;
	wndcls.hIcon = hIcon;
	wndcls.lpszClassName = s_szName;
	if (!AfxRegisterClass(&wndcls))
		AfxThrowResourceException();
	return s_szName;
}
