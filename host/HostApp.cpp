#include "HostApp.h"
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

static std::string Option(const std::vector<std::string>& args, const char* pszName, size_t nIndex = 1)
{
	for (size_t i = 0; i + nIndex < args.size(); ++i)
		if (args[i] == pszName)
			return args[i + nIndex];
	return std::string();
}

static bool HasOption(const std::vector<std::string>& args, const char* pszName)
{
	for (const std::string& arg : args)
		if (arg == pszName)
			return true;
	return false;
}

static const char s_szUsage[] =
	"usage: corvel [--cart FILE] [--page N] [--demo]\n"
	"       corvel --cart FILE --create | --status | --export N FILE | --import N FILE | --format N|all\n"
	"              [--fault nocart|linkdrop|blocked|flipbit]...\n"
	"Without a verb the host window opens. Positions are numbered 1 to 4.\n";

// How many values follow an option; -1 for an argument that is no option.
static int OptionValueCount(const std::string& strArg)
{
	static const struct { const char* pszName; int nValues; } s_options[] = {
		{ "--cart", 1 }, { "--create", 0 }, { "--status", 0 }, { "--export", 2 }, { "--import", 2 },
		{ "--format", 1 }, { "--fault", 1 }, { "--page", 1 }, { "--demo", 0 } };
	for (const auto& option : s_options)
		if (strArg == option.pszName)
			return option.nValues;
	return -1;
}

// FALSE when the program is to end at once: help was asked for, or an argument is not understood.
BOOL CHostApp::ParseCommandLine()
{
	for (int i = 1; i < __argc; ++i)
		m_args.push_back(__argv[i]);
	for (size_t i = 0; i < m_args.size(); ++i)
	{
		const std::string& strArg = m_args[i];
		if (strArg == "--help" || strArg == "-h" || strArg == "/?")
		{
			std::fputs(s_szUsage, stdout);
			return FALSE;
		}
		int nValues = OptionValueCount(strArg);
		if (nValues < 0 || i + nValues >= m_args.size())
		{
			std::fprintf(stderr, nValues < 0 ? "corvel: unknown option %s\n" : "corvel: %s needs a value\n",
				strArg.c_str());
			std::fputs(s_szUsage, stderr);
			m_nExitCode = 1;
			return FALSE;
		}
		i += (size_t)nValues;
	}
	return TRUE;
}

BOOL CHostApp::InitInstance()
{
	if (!ParseCommandLine())
		return FALSE;

	// Fault switches, for trying out what goes wrong on real hardware.
	for (size_t i = 0; i + 1 < m_args.size(); ++i)
	{
		if (m_args[i] != "--fault")
			continue;
		const std::string& strFault = m_args[i + 1];
		if (strFault == "nocart")
			m_session.m_faults.bNoCartridgeNextTransfer = TRUE;
		else if (strFault == "linkdrop")
			m_session.m_faults.bLinkDropped = TRUE;
		else if (strFault == "blocked")
			m_session.m_faults.bBlocked = TRUE;
		else if (strFault == "flipbit")
			m_session.m_faults.bFlipBitNextWrite = TRUE;
		else
		{
			m_nExitCode = Fail(CString(_T("unknown fault switch: ")) + strFault.c_str());
			return FALSE;
		}
	}

	std::string strCart = Option(m_args, "--cart");
	BOOL bCreate = HasOption(m_args, "--create");
	BOOL bScript = bCreate || HasOption(m_args, "--status") || HasOption(m_args, "--export") ||
		HasOption(m_args, "--import") || HasOption(m_args, "--format");
	CString strError;
	if (!m_session.Open(strCart.empty() ? ProgramFolder() + _T("demo.cart") : CString(strCart.c_str()),
		strCart.empty() || bCreate, strError))
	{
		m_nExitCode = Fail(strError);
		if (!bScript)
			AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
		return FALSE;
	}
	if (bScript)
	{
		m_nExitCode = RunScript();
		return FALSE;
	}
	return RunWindow();
}

int CHostApp::ExitInstance()
{
	CWinApp::ExitInstance();
	return m_nExitCode;
}

// One line on the standard error stream, and a non-zero exit status.
int CHostApp::Fail(const CString& strReason)
{
	std::fprintf(stderr, "corvel: %s\n", (LPCTSTR)strReason);
	return 1;
}

BOOL CHostApp::ParsePosition(const std::string& strArg, int& nPosition, BOOL bAllowAll)
{
	if (bAllowAll && strArg == "all")
	{
		nPosition = -1;
		return TRUE;
	}
	if (strArg.size() != 1 || strArg[0] < '1' || strArg[0] > '0' + SAVE_POSITION_COUNT)
		return FALSE;
	nPosition = strArg[0] - '1';
	return TRUE;
}

int CHostApp::RunScript()
{
	CCartridge& cartridge = m_session.GetCartridge();
	CARTSTATUS status;
	m_session.PrepareTransfer();
	m_session.FillStatus(status);
	if (HasOption(m_args, "--status"))
	{
		std::printf("cartridge %s: present %s, link ready %s, several positions %s, blocked %s, Trovesave %s, "
			"identity %lu, %u backups\n", (LPCTSTR)m_session.GetPath(), status.bCartPresent ? "yes" : "no",
			status.bLinkReady ? "yes" : "no", status.dwMultiPosition ? "yes" : "no", status.dwBlocked ? "yes" : "no",
			cartridge.m_bTrovesave ? "yes" : "no", (unsigned long)cartridge.m_dwCartId,
			(unsigned)m_session.GetBackups()->List().size());
		return 0;
	}
	if (!HasOption(m_args, "--export") && !HasOption(m_args, "--import") && !HasOption(m_args, "--format"))
	{
		std::printf("cartridge %s ready\n", (LPCTSTR)m_session.GetPath());
		return 0;
	}
	if (!status.bCartPresent || !status.bLinkReady || status.dwBlocked)
		return Fail(!status.bCartPresent ? _T("no cartridge detected") :
			!status.bLinkReady ? _T("the link to the cartridge is not ready") : _T("the cartridge is blocked"));

	const char* pszVerb = HasOption(m_args, "--export") ? "--export" : HasOption(m_args, "--import") ? "--import"
		: "--format";
	int nPosition = 0;
	if (!ParsePosition(Option(m_args, pszVerb), nPosition, std::strcmp(pszVerb, "--format") == 0))
		return Fail(CString(_T("a save position from 1 to 4 must follow ")) + pszVerb);
	std::string strFile = Option(m_args, pszVerb, 2);
	std::vector<BYTE> image(SAVE_POSITION_SIZE, 0);
	CString strError;

	if (std::strcmp(pszVerb, "--export") == 0)
	{
		if (strFile.empty())
			return Fail(_T("--export needs a file to write"));
		m_session.ReadPosition(nPosition, image.data());
		CFile file;
		if (!file.Open(strFile.c_str(), CFile::modeCreate | CFile::modeWrite))
			return Fail(CString(strFile.c_str()) + _T(": cannot be created"));
		try
		{
			file.Write(image.data(), SAVE_POSITION_SIZE);
			file.Close();
		}
		catch (CFileException* e)
		{
			e->Delete();
			return Fail(CString(strFile.c_str()) + _T(": cannot be written (disk full?)"));
		}
		std::printf("position %d exported to %s\n", nPosition + 1, strFile.c_str());
		return 0;
	}
	if (std::strcmp(pszVerb, "--import") == 0)
	{
		CFile file;
		if (strFile.empty() || !file.Open(strFile.c_str(), CFile::modeRead))
			return Fail(CString(strFile.c_str()) + _T(": cannot be opened"));
		ULONGLONG nLength = file.GetLength();
		if (nLength != SAVE_POSITION_SIZE)
		{
			strError.Format(_T("%s: %llu bytes; a save file holds exactly %u"), strFile.c_str(), nLength,
				(unsigned)SAVE_POSITION_SIZE);
			return Fail(strError);
		}
		try
		{
			file.Read(image.data(), SAVE_POSITION_SIZE);
			file.Close();
		}
		catch (CFileException* e)
		{
			e->Delete();
			return Fail(CString(strFile.c_str()) + _T(": cannot be read"));
		}
		if (!m_session.WritePosition(nPosition, image.data(), strError))
			return Fail(strError);
		std::printf("%s imported into position %d\n", strFile.c_str(), nPosition + 1);
		return 0;
	}
	for (int n = 0; n < SAVE_POSITION_COUNT; ++n)
	{
		if ((nPosition < 0 || n == nPosition) && !m_session.WritePosition(n, image.data(), strError))
			return Fail(strError);
	}
	std::printf("formatted %s\n", nPosition < 0 ? "all positions" : Option(m_args, "--format").c_str());
	return 0;
}

// Every *.cvl beside the program; a refused module is reported and the others still load.
void CHostApp::LoadPlugins()
{
	CString strFolder = ProgramFolder();
	WIN32_FIND_DATA fd;
	HANDLE hFind = ::FindFirstFile(strFolder + _T("*.cvl"), &fd);
	if (hFind == INVALID_HANDLE_VALUE)
		return;
	CString strErrors;
	do
	{
		std::unique_ptr<CPluginModule> pPlugin(new CPluginModule);
		CString strError;
		if (pPlugin->Load(strFolder + fd.cFileName, strError))
			m_plugins.push_back(std::move(pPlugin));
		else
			strErrors += strError + _T("\n");
	} while (::FindNextFile(hFind, &fd));
	::FindClose(hFind);
	if (!strErrors.IsEmpty())
		AfxMessageBox(_T("Some plug-ins were not loaded:\n\n") + strErrors, MB_ICONEXCLAMATION | MB_OK);
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
	LoadPlugins();

	// "--page N" opens the sheet on page N (0 is the cartridge page). The demonstration waits in
	// the queue until the sheet's loop runs.
	if (HasOption(m_args, "--demo"))
		::PostThreadMessage(::GetCurrentThreadId(), WM_HOST_DEMO, 0, 0);
	CPropertySheet sheet(_T("Corvel host"), m_pHostWnd.get(), (UINT)std::atoi(Option(m_args, "--page").c_str()));
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
