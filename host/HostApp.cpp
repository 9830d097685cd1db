#include "HostApp.h"
#include "CartridgePage.h"
#include <cstdlib>
#include <cstring>

CHostApp theApp;

CHostApp::CHostApp() : CWinApp(_T("Corvel host")) {}

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
	m_pHostWnd.reset(new CHostWnd(m_cartridge));
	if (!m_pHostWnd->Create())
	{
		AfxMessageBox(_T("The host window could not be created."), MB_ICONEXCLAMATION | MB_OK);
		return FALSE;
	}
	m_pMainWnd = m_pHostWnd.get();
	LoadPlugins();

	CPropertySheet sheet(_T("Corvel host"), m_pHostWnd.get(), (UINT)ParseStartPage());
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
	for (CPropertyPage* pPage : pluginPages)
		delete pPage;
	m_pHostWnd->DestroyWindow();
	m_pMainWnd = NULL;
	return FALSE;
}
