#include "HostApp.h"
#include "CartridgeFile.h"
#include "CartridgePage.h"
#include <afxole.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CHostApp theApp;

// The plug-in page's controls that the demonstration drives.
static const int IDC_PLUGIN_SHOW_SNAPSHOT = 1000;
static const int IDC_PLUGIN_SNAPSHOT = 1023;
static const UINT WM_HOST_DEMO = WM_APP + 1;

CHostApp::CHostApp() : CWinApp(_T("Corvel host")), m_pSheet(NULL), m_nExitCode(0) {}

CString CHostApp::ProgramFolder() const
{
	TCHAR szFolder[_MAX_PATH];
	DWORD nLen = ::GetModuleFileName(NULL, szFolder, _MAX_PATH);
	szFolder[nLen < _MAX_PATH ? nLen : _MAX_PATH - 1] = '\0';
	LPTSTR lpszSlash = _tcsrchr(szFolder, '\\');
	if (lpszSlash != NULL)
		lpszSlash[1] = '\0';
	return szFolder;
}

// One line on the standard error stream, and a non-zero exit status.
static int Fail(const CString& strReason)
{
	std::fprintf(stderr, "corvel: %s\n", (LPCTSTR)strReason);
	return 1;
}

// A damaged cartridge still opens the window, which says how to recover it.
BOOL CHostApp::InitInstance()
{
	CString strError;
	switch (m_commandLine.Parse(std::vector<std::string>(__argv + 1, __argv + __argc), strError))
	{
	case CHostCommandLine::parseHelp:
		std::fputs(CHostCommandLine::s_szUsage, stdout);
		return FALSE;
	case CHostCommandLine::parseRefused:
		m_nExitCode = Fail(strError);
		std::fputs(CHostCommandLine::s_szUsage, stderr);
		return FALSE;
	default:
		break;
	}
	if (!m_commandLine.SetFaults(m_session.m_faults, strError))
	{
		m_nExitCode = Fail(strError);
		return FALSE;
	}
	const BOOL bCart = m_commandLine.HasOption("--cart");
	const CString strCart = bCart ? CString(m_commandLine.GetOption("--cart").c_str()) : ProgramFolder() + _T("demo.cart");
	if (!m_commandLine.HasVerb())
		return OpenWindow(strCart, !bCart);
	CString strOutput;
	if (m_commandLine.Run(m_session, strCart, strOutput))
		std::printf("%s\n", (LPCTSTR)strOutput);
	else
		m_nExitCode = Fail(strOutput);
	return FALSE;
}

BOOL CHostApp::OpenWindow(const CString& strCart, BOOL bCreateDemo)
{
	CString strError;
	if (!m_session.Open(strCart, bCreateDemo, strError))
	{
		if (!m_session.IsDamaged())
		{
			m_nExitCode = Fail(strError);
			AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
			return FALSE;
		}
		AfxMessageBox(strError + _T("\n\nThe window opens without a cartridge. On its Cartridge page, \"Start anew\" moves "
			"the damaged file aside and starts a new cartridge with every part it holds intact; the backups listed there "
			"then put back the positions that did not come back."), MB_ICONEXCLAMATION | MB_OK);
	}
	return RunWindow();
}

int CHostApp::ExitInstance()
{
	CWinApp::ExitInstance();
	return m_nExitCode;
}

// Every *.cvl beside the program, with its page; a refused module is reported and unloaded, and
// the others still load.
std::vector<CPropertyPage*> CHostApp::LoadPlugins()
{
	std::vector<CPropertyPage*> pages;
	CString strFolder = ProgramFolder();
	WIN32_FIND_DATA fd;
	HANDLE hFind = ::FindFirstFile(strFolder + _T("*.cvl"), &fd);
	if (hFind == INVALID_HANDLE_VALUE)
		return pages;
	CString strErrors;
	do
	{
		std::unique_ptr<CPluginModule> pPlugin(new CPluginModule);
		CString strError;
		CPropertyPage* pPage = NULL;
		if (pPlugin->Load(strFolder + fd.cFileName, strError) &&
			(pPage = pPlugin->CreatePage(m_pHostWnd.get(), strError)) != NULL)
		{
			m_pHostWnd->AddPlugin(pPlugin.get());
			m_plugins.push_back(std::move(pPlugin));
			pages.push_back(pPage);
		}
		else
			strErrors += strError + _T("\n");
	} while (::FindNextFile(hFind, &fd));
	::FindClose(hFind);
	if (!strErrors.IsEmpty())
		AfxMessageBox(_T("Some plug-ins were not loaded:\n\n") + strErrors, MB_ICONEXCLAMATION | MB_OK);
	return pages;
}

BOOL CHostApp::RunWindow()
{
	// The plug-ins' clipboard goes through OLE, which the host initialises for them.
	if (!AfxOleInit())
	{
		AfxMessageBox(_T("OLE could not be initialised."), MB_ICONEXCLAMATION | MB_OK);
		return FALSE;
	}
	m_pHostWnd.reset(new CHostWnd(m_session));
	if (!m_pHostWnd->Create())
	{
		AfxMessageBox(_T("The host window could not be created."), MB_ICONEXCLAMATION | MB_OK);
		return FALSE;
	}
	m_pMainWnd = m_pHostWnd.get();
	const std::vector<CPropertyPage*> pluginPages = LoadPlugins();

	// "--page N" opens the sheet on page N (0 is the cartridge page). The demonstration waits in
	// the queue until the sheet's loop runs.
	if (m_commandLine.HasOption("--demo"))
		::PostThreadMessage(::GetCurrentThreadId(), WM_HOST_DEMO, 0, 0);
	CPropertySheet sheet(_T("Corvel host"), m_pHostWnd.get(), (UINT)std::atoi(m_commandLine.GetOption("--page").c_str()));
	m_pSheet = &sheet;
	CCartridgePage cartridgePage(*m_pHostWnd);
	sheet.AddPage(&cartridgePage);
	for (CPropertyPage* pPage : pluginPages)
		sheet.AddPage(pPage);
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
BOOL CHostApp::PreTranslateMessage(MSG* pMsg)
{
	if (pMsg->hwnd == NULL && pMsg->message == WM_HOST_DEMO)
	{
		if (m_pSheet != NULL && m_pSheet->m_hWnd != NULL)
			ShowDemoSelection();
		return TRUE;
	}
	return CWinApp::PreTranslateMessage(pMsg);
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
