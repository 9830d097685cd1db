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

static const char s_szUsage[] =
	"usage: corvel [--cart FILE] [--page N] [--demo]\n"
	"       corvel [--cart FILE] --create | --status | --export N FILE | --import N FILE | --format N|all\n"
	"              | --restore N [FILE]   [--fault nocart|linkdrop|blocked|flipbit]...\n"
	"Without a verb the host window opens. Positions are numbered 1 to 4.\n";

// The options, how many values follow each, and which are verbs (one a run). "--restore" takes a
// second, optional value: a file, when the argument after its position is no option.
static const struct COption
{
	const char* pszName;
	size_t nValues;
	bool bVerb;
} s_options[] = {
	{ "--cart", 1, false }, { "--page", 1, false }, { "--demo", 0, false }, { "--fault", 1, false },
	{ "--create", 0, true }, { "--status", 0, true }, { "--export", 2, true }, { "--import", 2, true },
	{ "--format", 1, true }, { "--restore", 1, true },
};

static const COption* FindOption(const std::string& strArg)
{
	for (const COption& option : s_options)
		if (strArg == option.pszName)
			return &option;
	return NULL;
}

// FALSE when the program is to end at once: help was asked for, or the arguments are not
// understood. Then nothing has been opened, let alone changed.
BOOL CHostApp::ParseCommandLine()
{
	const std::vector<std::string> args(__argv + 1, __argv + __argc);
	std::string strError;
	for (size_t i = 0; i < args.size() && strError.empty(); ++i)
	{
		const std::string& strArg = args[i];
		if (strArg == "--help" || strArg == "-h" || strArg == "/?")
		{
			std::fputs(s_szUsage, stdout);
			return FALSE;
		}
		const COption* pOption = FindOption(strArg);
		size_t nValues = pOption != NULL ? pOption->nValues : 0;
		if (strArg == "--restore" && i + 2 < args.size() && args[i + 2].compare(0, 2, "--") != 0)
			++nValues;
		if (pOption == NULL)
			strError = "unknown option " + strArg;
		else if (i + nValues >= args.size())
			strError = strArg + " needs a value";
		else if (pOption->bVerb && !m_strVerb.empty())
			strError = m_strVerb == strArg ? strArg + " is given twice" : "one verb a run: " + m_strVerb + " and " + strArg;
		else if (!pOption->bVerb && strArg != "--fault" && m_options.count(strArg) != 0)
			strError = strArg + " is given twice";
		else if (pOption->bVerb)
			m_strVerb = strArg, m_verbArgs.assign(args.begin() + i + 1, args.begin() + i + 1 + nValues);
		else if (strArg == "--fault")
			m_faults.push_back(args[i + 1]);
		else
			m_options[strArg] = nValues != 0 ? args[i + 1] : std::string();
		i += nValues;
	}
	if (strError.empty() && !m_strVerb.empty() && (m_options.count("--page") != 0 || m_options.count("--demo") != 0))
		strError = "--page and --demo are for the window, not for " + m_strVerb;
	if (strError.empty())
		return TRUE;
	std::fprintf(stderr, "corvel: %s\n", strError.c_str());
	std::fputs(s_szUsage, stderr);
	m_nExitCode = 1;
	return FALSE;
}

// Fault switches, for trying out what goes wrong on real hardware.
BOOL CHostApp::SetFaults()
{
	for (const std::string& strFault : m_faults)
	{
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
	return TRUE;
}

// A damaged cartridge still opens the window, which says how to recover it.
BOOL CHostApp::InitInstance()
{
	if (!ParseCommandLine() || !SetFaults())
		return FALSE;
	const auto itCart = m_options.find("--cart");
	const CString strCart = itCart != m_options.end() ? CString(itCart->second.c_str()) : ProgramFolder() + _T("demo.cart");
	if (!m_strVerb.empty())
	{
		m_nExitCode = RunScript(strCart);
		return FALSE;
	}
	CString strError;
	if (!m_session.Open(strCart, itCart == m_options.end(), strError))
	{
		if (!m_session.IsDamaged())
		{
			m_nExitCode = Fail(strError);
			AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
			return FALSE;
		}
		AfxMessageBox(strError + _T("\n\nThe window opens without a cartridge. On its Cartridge page, \"Start anew\" moves "
			"the damaged file aside and starts a new cartridge in its place; the backups listed there then put each "
			"position back."), MB_ICONEXCLAMATION | MB_OK);
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

// Each verb decides on the cartridge file as it is when it runs, under the cartridge's lock.
int CHostApp::RunScript(const CString& strCart)
{
	CString strError;
	if (m_strVerb == "--create")
	{
		if (!m_session.StartAnew(strCart, strError))
			return Fail(strError);
		std::printf("%s\n", (LPCTSTR)strError);
		return 0;
	}
	if (!m_session.Open(strCart, FALSE, strError))
		return Fail(m_session.IsDamaged() ? strError + _T(" --create moves it aside and starts a new cartridge; "
			"--restore N then puts back position N's newest backup.") : strError);
	if (m_strVerb == "--status")
	{
		CARTSTATUS status;
		m_session.FillStatus(status);
		std::printf("cartridge %s: present %s, link ready %s, several positions %s, blocked %s, Trovesave %s, "
			"identity %lu, %u backups\n", (LPCTSTR)m_session.GetPath(), status.bCartPresent ? "yes" : "no",
			status.bLinkReady ? "yes" : "no", status.dwMultiPosition ? "yes" : "no", status.dwBlocked ? "yes" : "no",
			status.dwTrovesaveMagic != 0 ? "yes" : "no", (unsigned long)status.dwCartId,
			(unsigned)m_session.GetBackups()->List().size());
		return 0;
	}
	int nPosition = 0;
	if (!ParsePosition(m_verbArgs[0], nPosition, m_strVerb == "--format"))
		return Fail(CString(_T("a save position from 1 to 4 must follow ")) + m_strVerb.c_str());
	m_session.PrepareTransfer();
	if (m_strVerb == "--export")
		return Export(nPosition, m_verbArgs[1]);
	if (m_strVerb == "--import")
		return Import(nPosition, m_verbArgs[1]);
	if (m_strVerb == "--restore")
	{
		CBackup backup;
		backup.strPath = m_verbArgs.size() > 1 ? m_verbArgs[1].c_str() : "";
		backup.nPosition = nPosition;
		if (!(backup.strPath.IsEmpty() ? m_session.RestoreNewest(nPosition, strError) : m_session.Restore(backup, strError)))
			return Fail(strError);
		std::printf("position %d restored\n", nPosition + 1);
		return 0;
	}
	const std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	if (!m_session.WritePositions(nPosition < 0 ? 0 : nPosition, nPosition < 0 ? SAVE_POSITION_COUNT - 1 : nPosition,
		zeros.data(), strError))
		return Fail(strError);
	std::printf("formatted %s\n", nPosition < 0 ? "all positions" : m_verbArgs[0].c_str());
	return 0;
}

// The position's bytes as the cartridge holds them now, written whole or not at all, and never
// over a file of the cartridge itself.
int CHostApp::Export(int nPosition, const std::string& strFile)
{
	if (m_session.IsFileOfCartridge(strFile.c_str()))
		return Fail(CString(strFile.c_str()) + _T(": a file of the cartridge itself; export to another file"));
	std::vector<BYTE> image(SAVE_POSITION_SIZE, 0);
	CString strError;
	if (!m_session.ReadPosition(nPosition, image.data(), strError) ||
		!CCartridgeFile::Replace(strFile.c_str(), image.data(), SAVE_POSITION_SIZE, strError))
		return Fail(strError);
	std::printf("position %d exported to %s\n", nPosition + 1, strFile.c_str());
	return 0;
}

int CHostApp::Import(int nPosition, const std::string& strFile)
{
	std::vector<BYTE> image(SAVE_POSITION_SIZE, 0);
	CString strError;
	CFile file;
	if (!file.Open(strFile.c_str(), CFile::modeRead))
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
	if (m_options.count("--demo") != 0)
		::PostThreadMessage(::GetCurrentThreadId(), WM_HOST_DEMO, 0, 0);
	CPropertySheet sheet(_T("Corvel host"), m_pHostWnd.get(), (UINT)std::atoi(m_options["--page"].c_str()));
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
