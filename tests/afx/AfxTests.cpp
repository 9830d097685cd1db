// The runtime behaves as the library it stands in for documents.
#include <afxdlgs.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(AfxCore, ModuleStateIsSwitchedForTheLengthOfAScope)
{
	AFX_MODULE_STATE* pApp = AfxGetModuleState();
	EXPECT_EQ(AfxGetAppModuleState(), pApp);
	EXPECT_EQ(::GetModuleHandle(NULL), AfxGetInstanceHandle());
	AFX_MODULE_STATE other(TRUE, AfxWndProcBase);
	other.m_hCurrentInstanceHandle = (HINSTANCE)0x1234;
	{
		AFX_MANAGE_STATE(&other);
		EXPECT_EQ(&other, AfxGetModuleState());
		EXPECT_EQ((HINSTANCE)0x1234, AfxGetInstanceHandle());
		EXPECT_EQ(nullptr, AfxGetApp());
	}
	EXPECT_EQ(pApp, AfxGetModuleState());
	EXPECT_STREQ("Mendle tests", AfxGetAppName());
}

TEST(AfxCore, FilesReportFailuresAsFileExceptions)
{
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	std::string strPath = std::string(szTemp) + "afx-file-test.bin";

	CFileException error;
	CFile missing;
	EXPECT_FALSE(missing.Open((strPath + ".missing").c_str(), CFile::modeRead, &error));
	EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
	EXPECT_EQ(CFile::hFileNull, missing.m_hFile);

	{
		CFile file;
		ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeWrite));
		file.Write("abcdef", 6);
		EXPECT_EQ(6u, file.GetLength());
		char ch;
		bool bThrown = false;
		try
		{
			file.Read(&ch, 1);
		}
		catch (CFileException* e)
		{
			bThrown = true;
			EXPECT_EQ(CFileException::accessDenied, e->m_cause);
			EXPECT_STREQ(strPath.c_str(), e->m_strFileName);
			e->Delete();
		}
		EXPECT_TRUE(bThrown);
		file.Close();
	}

	CFile file(strPath.c_str(), CFile::modeRead);
	char szBuffer[16] = "";
	EXPECT_EQ(6u, file.Read(szBuffer, sizeof(szBuffer)));
	EXPECT_STREQ("abcdef", szBuffer);
	file.Close();
	::DeleteFileA(strPath.c_str());

	bool bThrown = false;
	try
	{
		CFile absent((strPath + ".absent").c_str(), CFile::modeRead);
	}
	catch (CFileException* e)
	{
		bThrown = e->m_cause == CFileException::fileNotFound;
		e->Delete();
	}
	EXPECT_TRUE(bThrown);
}

// A window class with its own map chained to a base map.
class CBaseProbeWnd : public CWnd
{
public:
	std::vector<std::string> m_log;
	afx_msg LRESULT OnProbe(WPARAM wParam, LPARAM) { m_log.push_back("base " + std::to_string(wParam)); return 7; }
	afx_msg void OnShowWindow(BOOL bShow, UINT nStatus)
	{
		m_log.push_back(bShow ? "shown" : "hidden");
		CWnd::OnShowWindow(bShow, nStatus);
	}
	DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseProbeWnd, CWnd)
	ON_MESSAGE(WM_APP + 1, &CBaseProbeWnd::OnProbe)
	ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

class CDerivedProbeWnd : public CBaseProbeWnd
{
public:
	afx_msg void OnClicked() { m_log.push_back("clicked"); }
	afx_msg void OnCommand5() { m_log.push_back("command"); }
	DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedProbeWnd, CBaseProbeWnd)
	ON_BN_CLICKED(42, &CDerivedProbeWnd::OnClicked)
	ON_COMMAND(5, &CDerivedProbeWnd::OnCommand5)
END_MESSAGE_MAP()

TEST(AfxWindows, MessagesDispatchThroughChainedMaps)
{
	CDerivedProbeWnd wnd;
	ASSERT_TRUE(wnd.CreateEx(0, _T("Static"), _T("probe"), WS_POPUP, 0, 0, 50, 50, NULL, NULL));
	EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
	EXPECT_EQ(7, wnd.SendMessage(WM_APP + 1, 3));
	EXPECT_EQ(1, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(42, BN_CLICKED), 0));
	EXPECT_EQ(1, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(5, 0), 0));
	EXPECT_EQ(0, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(43, BN_CLICKED), 0));
	wnd.ShowWindow(SW_SHOW);
	EXPECT_TRUE(wnd.IsWindowVisible());
	// Unhandled messages reach the window's own procedure.
	wnd.SetWindowText(_T("renamed"));
	CString strText;
	wnd.GetWindowText(strText);
	EXPECT_STREQ("renamed", strText);
	EXPECT_EQ(std::vector<std::string>({ "base 3", "clicked", "command", "shown" }), wnd.m_log);

	HWND hWnd = wnd.m_hWnd;
	EXPECT_TRUE(wnd.DestroyWindow());
	EXPECT_EQ(NULL, wnd.m_hWnd);
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(AfxWindows, TemporaryObjectsWrapForeignWindows)
{
	HWND hWnd = ::CreateWindowEx(0, _T("Static"), _T("foreign"), WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
	CWnd* pTemp = CWnd::FromHandle(hWnd);
	ASSERT_NE(nullptr, pTemp);
	EXPECT_EQ(pTemp, CWnd::FromHandle(hWnd));
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
	EXPECT_EQ(nullptr, CWnd::FromHandle(NULL));
	AfxUnlockTempMaps();
	EXPECT_TRUE(::IsWindow(hWnd));
	::DestroyWindow(hWnd);
}
