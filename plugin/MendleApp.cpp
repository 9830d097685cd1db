#include "MendleApp.h"
#include "HostMessages.h"
#include "TavPropertyPage.h"
#include "../page/MendlePage.h"

CMendleApp theApp;

BEGIN_MESSAGE_MAP(CMendleApp, CWinApp)
END_MESSAGE_MAP()

CMendleApp::CMendleApp() : CWinApp(NULL) {}

// Host events outside the page's range, or before there is a page, are answered and dropped.
LRESULT CMendleApp::ReceiveMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	if (nMsg < HM_FIRSTHOSTEVENT || nMsg > HM_LASTHOSTEVENT || g_pPage == NULL)
		return 1;
	return g_pPage->OnHostMessage(nMsg, wParam, lParam);
}

UINT CMendleApp::GetCompileVersion()
{
	return MENDLE_COMPILE_VERSION;
}
