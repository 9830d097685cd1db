#include "HostApp.h"
#include "CartridgePage.h"
#include <afxole.h>
#include <cstdlib>
#include <cstring>

CHostApp theApp;

// The plug-in page's controls that the demonstration drives.
static const int IDC_PLUGIN_SHOW_SNAPSHOT = 1000;
static const int IDC_PLUGIN_SNAPSHOT = 1023;

CHostApp::CHostApp() : CWinApp(_T("Corvel host")), m_pSheet(NULL), m_bDemoPending(FALSE) {}

// Every *.cvl beside the program; a refused module is reported and the others still load.
void CHostApp::LoadPlugins()
{
	TCHAR szFolder[_MAX_PATH];
	DWORD nLen = ::GetModuleFileName(NULL, szFolder, _MAX_PATH);
	szFolder[nLen < _MAX_PATH ? nLen : _MAX_PATH - 1] = '\0';
	LPTSTR lpszSlash = _tcsrchr(szFolder, '\\');
	if (lpszSlash != NULL)
		lpszSlash[1] = '\0';

	WIN32_FIND_DATA fd;
	HANDLE hFind = ::FindFirstFile(CString(szFolder) + _T("*.cvl"), &fd);
	if (hFind == INVALID_HANDLE_VALUE)
		return;
	CString strErrors;
	do
	{
		std::unique_ptr<CPluginModule> pPlugin(new CPluginModule);
		CString strError;
		if (pPlugin->Load(CString(szFolder) + fd.cFileName, strError))
			m_plugins.push_back(std::move(pPlugin));
		else
			strErrors += strError + _T("\n");
	} while (::FindNextFile(hFind, &fd));
	::FindClose(hFind);
	if (!strErrors.IsEmpty())
		AfxMessageBox(_T("Some plug-ins were not loaded:\n\n") + strErrors, MB_ICONEXCLAMATION | MB_OK);
}

// "--page N" opens the sheet on page N (0 is the cartridge page).
int CHostApp::ParseStartPage() const
{
	LPCTSTR lpszPage = std::strstr(m_lpCmdLine, "--page ");
	return lpszPage != NULL ? std::atoi(lpszPage + 7) : 0;
}

BOOL CHostApp::InitInstance()
{
	// The plug-ins' clipboard goes through OLE, which the host initialises for them.
	if (!AfxOleInit())
	{
		AfxMessageBox(_T("OLE could not be initialised."), MB_ICONEXCLAMATION | MB_OK);
		return FALSE;
	}
	m_pHostWnd.reset(new CHostWnd(m_cartridge));
	if (!m_pHostWnd->Create())
	{
		AfxMessageBox(_T("The host window could not be created."), MB_ICONEXCLAMATION | MB_OK);
		return FALSE;
	}
	m_pMainWnd = m_pHostWnd.get();
	LoadPlugins();

	m_bDemoPending = std::strstr(m_lpCmdLine, "--demo") != NULL;
	CPropertySheet sheet(_T("Corvel host"), m_pHostWnd.get(), (UINT)ParseStartPage());
	m_pSheet = &sheet;
	CCartridgePage cartridgePage(*m_pHostWnd);
	sheet.AddPage(&cartridgePage);
	std::vector<CPropertyPage*> pluginPages;
	for (const auto& pPlugin : m_plugins)
	{
		m_pHostWnd->AddPlugin(pPlugin.get());
		pluginPages.push_back(pPlugin->GetPropertyPage(m_pHostWnd.get()));
		sheet.AddPage(pluginPages.back());
	}
	sheet.DoModal();
	m_pSheet = NULL;
	for (CPropertyPage* pPage : pluginPages)
		delete pPage;
	m_pHostWnd->DestroyWindow();
	m_pMainWnd = NULL;
	return FALSE;
}

// "--demo": once the sheet is up, the open page shows its snapshot with a few bytes selected,
// as a user would get it by clicking the check box and dragging over the bytes.
BOOL CHostApp::OnIdle(LONG lCount)
{
	if (m_bDemoPending && m_pSheet != NULL && m_pSheet->m_hWnd != NULL)
	{
		m_bDemoPending = FALSE;
		ShowDemoSelection();
	}
	return CWinApp::OnIdle(lCount);
}

void CHostApp::ShowDemoSelection()
{
	CPropertyPage* pPage = m_pSheet->GetActivePage();
	HWND hCheck = pPage != NULL ? ::GetDlgItem(pPage->m_hWnd, IDC_PLUGIN_SHOW_SNAPSHOT) : NULL;
	HWND hSnapshot = pPage != NULL ? ::GetDlgItem(pPage->m_hWnd, IDC_PLUGIN_SNAPSHOT) : NULL;
	if (hCheck == NULL || hSnapshot == NULL)
		return;
	::SendMessage(hCheck, BM_CLICK, 0, 0);
	::SendMessage(hSnapshot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 8));
	::SendMessage(hSnapshot, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 24));
	::SendMessage(hSnapshot, WM_LBUTTONUP, 0, MAKELPARAM(200, 24));
}
