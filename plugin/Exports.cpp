// The module's exported entry points.
#include "MendleApp.h"
#include "TavPropertyPage.h"
#include "../page/MendlePage.h"

CWnd* g_pHostWnd = NULL;
CMendlePage* g_pPage = NULL;
DWORD g_dwLastCartId = 0;

extern CMendleApp theApp;

extern "C" CPropertyPage* WINAPI GetPropertyPage(CWnd* pHostWnd)
{
	AFX_MANAGE_STATE(AfxGetStaticModuleState());
	g_pHostWnd = pHostWnd;
	g_pPage = new CMendlePage;
	return g_pPage;
}

extern "C" LRESULT WINAPI ReceiveMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	return theApp.ReceiveMessage(nMsg, wParam, lParam);
}

extern "C" UINT WINAPI GetCompileVersion()
{
	return theApp.GetCompileVersion();
}
