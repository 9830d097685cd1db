// Start-up code linked into every regular library built on the shared runtime: the library's own
// module state, its window-procedure wrapper, AfxGetStaticModuleState and the library entry.
#include "afxwin.h"

namespace {

// Constructed before every other static object of the library and made current until the
// library entry runs, so that the application object registers with this module.
struct CDllModuleState : AFX_MODULE_STATE
{
	CDllModuleState();
	AFX_MODULE_STATE* m_pPrevState;
};

LRESULT CALLBACK AfxWndProcDllStatic(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

__attribute__((init_priority(101))) CDllModuleState _afxModuleState;

CDllModuleState::CDllModuleState()
	: AFX_MODULE_STATE(TRUE, AfxWndProcDllStatic), m_pPrevState(AfxSetModuleState(this))
{
}

LRESULT CALLBACK AfxWndProcDllStatic(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	AFX_MANAGE_STATE(&_afxModuleState);
	return AfxWndProc(hWnd, nMsg, wParam, lParam);
}

} // namespace

AFX_MODULE_STATE* AFXAPI AfxGetStaticModuleState()
{
	return &_afxModuleState;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
	if (dwReason == DLL_PROCESS_ATTACH)
	{
		BOOL bResult = AfxWinInit(hInstance, NULL, const_cast<LPTSTR>(_T("")), 0);
		CWinApp* pApp = AfxGetApp();
		if (bResult && pApp != NULL)
			bResult = pApp->InitInstance();
		AfxSetModuleState(_afxModuleState.m_pPrevState);
		if (!bResult)
			return FALSE;
		AfxLinkModule(&_afxModuleState);
	}
	else if (dwReason == DLL_PROCESS_DETACH)
	{
		AFX_MANAGE_STATE(&_afxModuleState);
		CWinApp* pApp = AfxGetApp();
		if (pApp != NULL)
			pApp->ExitInstance();
		AfxWinTerm();
		AfxUnlinkModule(&_afxModuleState);
	}
	return TRUE;
}
