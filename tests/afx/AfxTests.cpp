// The runtime behaves as the library it stands in for documents.
#include <afxdlgs.h>
#include <afxole.h>
#include <afxpriv.h>
#include "ModalDriver.h"
#include "Harness.h"
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <tuple>

class CThrowingWnd : public CWnd
{
public:
	std::function<void()> m_throw = [] {};

	afx_msg int OnCreate(LPCREATESTRUCT) { m_throw(); return 0; }
	afx_msg void OnPaint() { m_throw(); CPaintDC dc(this); }
	afx_msg void OnCommand5() { m_throw(); }
	afx_msg LRESULT OnProbe(WPARAM, LPARAM) { m_throw(); return 5; }
	DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
	ON_WM_CREATE()
	ON_WM_PAINT()
	ON_COMMAND(5, &CThrowingWnd::OnCommand5)
	ON_MESSAGE(WM_APP + 1, &CThrowingWnd::OnProbe)
END_MESSAGE_MAP()

// A page that logs its notifications and presses the sheet button queued for each step, or
// throws out of the sheet's loop once active.
class CLogPage : public CPropertyPage
{
public:
	CLogPage() : CPropertyPage(100) {}
	BOOL OnSetActive() override { return (!m_bThrow || PostMessage(WM_APP)) && Log("setactive") && CPropertyPage::OnSetActive(); }
	BOOL PreTranslateMessage(MSG* pMsg) override { return pMsg->message == WM_APP ? throw std::runtime_error("loop") : CWnd::PreTranslateMessage(pMsg); }
	BOOL OnKillActive() override { return Log("killactive") && (m_bRefuseKill ? (m_bRefuseKill = false) : CPropertyPage::OnKillActive()); }
	BOOL OnApply() override { return Log("apply") && CPropertyPage::OnApply(); }

	bool Log(const char* pszStep)
	{
		m_log.push_back(pszStep);
		if (!m_presses.empty() && (m_log.size() == 1 || m_bRefuseKill))
		{
			::PostMessage(::GetParent(m_hWnd), PSM_PRESSBUTTON, m_presses.front(), 0);
			m_presses.erase(m_presses.begin());
		}
		return true;
	}

	std::vector<std::string> m_log;
	std::vector<int> m_presses;
	bool m_bRefuseKill = false;
	bool m_bThrow = false;
};

// Run asks OnIdle again with a growing count while it answers nonzero, and from 0 after a message.
class CIdleThread : public CWinThread
{
public:
	BOOL OnIdle(LONG lCount) override
	{
		m_counts.push_back(lCount);
		if (lCount < 2)
			return TRUE;
		if (m_counts.size() < 6)
			::PostThreadMessage(::GetCurrentThreadId(), WM_APP, 0, 0);
		else
			::PostQuitMessage(0);
		return FALSE;
	}
	std::vector<LONG> m_counts;
};

// A window in a modal loop: kicked while idle, ended by a timer.
class CModalProbeWnd : public CWnd
{
public:
	afx_msg LRESULT OnKickIdle(WPARAM, LPARAM lParam)
	{
		m_kicks.push_back((LONG)lParam);
		return lParam < 2;
	}
	afx_msg void OnTimer(UINT_PTR)
	{
		KillTimer(1);
		EndModalLoop(7);
	}
	afx_msg LRESULT OnEnterIdle(WPARAM, LPARAM) { ++m_nEnterIdle; return 0; }
	std::vector<LONG> m_kicks;
	int m_nEnterIdle = 0;
	DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalProbeWnd, CWnd)
	ON_MESSAGE(WM_KICKIDLE, &CModalProbeWnd::OnKickIdle)
	ON_MESSAGE(WM_ENTERIDLE, &CModalProbeWnd::OnEnterIdle)
	ON_WM_TIMER()
END_MESSAGE_MAP()

static const void* s_pWatched = NULL;  // cleared when the runtime deletes it

static void DeleteWatched(void* p, size_t nSize)
{
	s_pWatched = p == s_pWatched ? NULL : s_pWatched;
	::operator delete(p, nSize);
}

static void CALLBACK OnLoopTimeout(HWND, UINT, UINT_PTR, DWORD)
{
	::PostQuitMessage(1);  // where closing the main window did not end the loop
}

// Temporary objects wrap foreign windows until the application's second idle call, and one held
// by its caller survives a modal loop. However a sheet's loop ends, an exception's way too, the
// owner is enabled again. What escapes a handler reaches CWinApp::ProcessWndProcException.
TEST(AfxWindows, IdleTimeModalLoopsClosingTheMainWindowPropertySheetAndExceptionsEndAsDocumented)
{
	CIdleThread thread;
	thread.Run();
	EXPECT_EQ(std::vector<LONG>({ 0, 1, 2, 0, 1, 2 }), thread.m_counts);
	HWND hForeign = ::CreateWindowEx(0, _T("Static"), _T("foreign"), WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
	CWnd* pGone = CWnd::FromHandle(hForeign);
	CWinApp* pApp = AfxGetApp();
	// Kept by the first idle call, gone after the second: its memory is handed out again, and a new temporary object wraps the window.
	EXPECT_TRUE(pApp->OnIdle(0) && CWnd::FromHandle(hForeign) == pGone && !pApp->OnIdle(1));
	std::vector<std::unique_ptr<CWnd>> blockers;
	while (blockers.size() < 64 && (blockers.empty() || blockers.back().get() != pGone))
		blockers.emplace_back(new CWnd);
	EXPECT_EQ(std::make_pair(pGone, true), std::make_pair(blockers.back().get(), CWnd::FromHandle(hForeign) != pGone));
	EXPECT_EQ(std::make_pair(FALSE, TRUE), std::make_pair(pApp->OnIdle(2), ::IsWindow(hForeign)));
	struct Case { DWORD dwFlags; bool bKicked; bool bEnterIdle; bool bShown; } cases[] = {
		{ 0, true, true, false }, { MLF_NOKICKIDLE, false, true, false }, { MLF_NOIDLEMSG, true, false, false },
		{ MLF_SHOWONIDLE, true, true, true },
	};
	for (const Case& c : cases)
	{
		CModalProbeWnd parent, wnd;
		ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), _T("parent"), WS_POPUP, 0, 0, 50, 50, NULL, NULL));
		ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), _T("modal"), WS_CHILD, 0, 0, 20, 20, parent.m_hWnd, NULL));
		CWnd* pTemp = CWnd::FromHandle(hForeign);
		s_pWatched = pTemp;
		CImportPatch watch("afx.dll", "libstdc++-6.dll", sizeof(size_t) == 8 ? "_ZdlPvy" : "_ZdlPvj", (FARPROC)DeleteWatched);
		wnd.SetTimer(1, 50, NULL);
		EXPECT_EQ(7, wnd.RunModalLoop(c.dwFlags));
		wnd.m_kicks.resize(std::min<size_t>(3, wnd.m_kicks.size()));
		EXPECT_EQ(std::make_tuple(pTemp, c.bKicked ? std::vector<LONG>({ 0, 1, 2 }) : std::vector<LONG>(), c.bEnterIdle, c.bShown),
			std::make_tuple((CWnd*)s_pWatched, wnd.m_kicks, parent.m_nEnterIdle > 0, (wnd.GetStyle() & WS_VISIBLE) != 0)) << c.dwFlags;
	}
	::DestroyWindow(hForeign);
	CFrameWnd* pFrame = new CFrameWnd;
	ASSERT_TRUE(pFrame->Create(NULL, _T("main")));
	pApp->m_pMainWnd = pFrame;
	pFrame->PostMessage(WM_CLOSE);
	// A loop that did not end would be stopped here, and the test fail.
	UINT_PTR nTimer = ::SetTimer(NULL, 0, 5000, OnLoopTimeout);
	pApp->Run();
	::KillTimer(NULL, nTimer);
	EXPECT_EQ(std::make_pair((WPARAM)0, (CWnd*)NULL), std::make_pair(pApp->m_msgCur.wParam, pApp->m_pMainWnd));
	struct SheetCase { std::vector<int> presses; bool bRefuseKill, bThrow; INT_PTR nResult; std::vector<std::string> log; } sheetCases[] = {
		{ { PSBTN_OK }, false, false, IDOK, { "setactive", "killactive", "apply" } },
		{ { PSBTN_CANCEL }, false, false, IDCANCEL, { "setactive" } },
		{ { PSBTN_OK, PSBTN_CANCEL }, true, false, IDCANCEL, { "setactive", "killactive" } },
		{ {}, false, true, 0, { "setactive" } },
	};
	CWnd owner;
	ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), _T("owner"), WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL));
	for (const SheetCase& c : sheetCases)
	{
		CLogPage page;
		page.m_presses = c.presses;
		page.m_bRefuseKill = c.bRefuseKill;
		page.m_bThrow = c.bThrow;
		CPropertySheet sheet(_T("Probe sheet"), &owner);
		sheet.AddPage(&page);
		if (c.bThrow)
			EXPECT_THROW(sheet.DoModal(), std::runtime_error);
		else
			EXPECT_EQ(c.nResult, sheet.DoModal());
		EXPECT_EQ(std::make_tuple(c.log, (HWND)NULL, TRUE), std::make_tuple(page.m_log, sheet.m_hWnd, owner.IsWindowEnabled()));
	}
	CModalDriver modals;
	const auto diskFull = [] { CFileException::ThrowOsError(ERROR_DISK_FULL, _T("x.sav")); };
	const auto badAlloc = [] { throw std::bad_alloc(); };
	const auto other = [] { throw std::runtime_error("other"); };
	CThrowingWnd creating;
	creating.m_throw = diskFull;
	EXPECT_TRUE(!creating.CreateEx(0, AfxRegisterWndClass(0), _T("t"), WS_POPUP, 0, 0, 50, 50, NULL, NULL) && creating.m_hWnd == NULL);
	CThrowingWnd wnd;
	ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), _T("t"), WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL));
	wnd.UpdateWindow();
	struct Throw { std::function<void()> fnThrow; UINT nMsg; LRESULT lResult; const char* pszText; UINT nIcon; } throws[] = {
		{ AfxThrowMemoryException, WM_COMMAND, TRUE, "Out of memory.", MB_ICONEXCLAMATION },
		{ badAlloc, WM_COMMAND, TRUE, "Out of memory.", MB_ICONEXCLAMATION },
		{ badAlloc, WM_APP + 1, 0, "Out of memory.", MB_ICONEXCLAMATION },
		{ other, WM_COMMAND, TRUE, "Command failed.", 0 },
		{ other, WM_APP + 1, 0, "Internal application error.", 0 },
		{ diskFull, WM_APP + 1, 0, "An error occurred with x.sav: the disk is full.", 0 },
	};
	for (const Throw& c : throws)
	{
		modals.m_records.clear();
		wnd.m_throw = c.fnThrow;
		EXPECT_EQ(c.lResult, wnd.SendMessage(c.nMsg, c.nMsg == WM_COMMAND ? 5 : 0, 0)) << c.pszText;
		ASSERT_EQ(std::vector<std::string>({ c.pszText }), modals.MessageTexts());
		EXPECT_EQ(c.nIcon, modals.m_records[0].nStyle) << c.pszText;
	}
	// Last: a paint that failed again and again would keep any later message loop busy.
	modals.m_records.clear();
	wnd.m_throw = AfxThrowMemoryException;
	wnd.InvalidateRect(NULL, FALSE);
	wnd.UpdateWindow();
	RECT rc;
	EXPECT_EQ(std::make_pair(FALSE, true), std::make_pair(::GetUpdateRect(wnd.m_hWnd, &rc, FALSE), modals.m_records.empty()));
}

// The application's name may be replaced on the heap, as MFC documents, and boxes bear it. Binding
// a control to an item its dialog lacks raises the not-supported exception; a file's Open reports
// through its exception argument, Read throws.
TEST(AfxCore, ModuleStateDefaultClassRunTimeClassesAndFilesFollowTheDocumentedBehaviour)
{
	AFX_MODULE_STATE* pAppState = AfxGetModuleState();
	EXPECT_EQ(std::make_pair(pAppState, ::GetModuleHandle(NULL)), std::make_pair(AfxGetAppModuleState(), AfxGetInstanceHandle()));
	AFX_MODULE_STATE other(TRUE, AfxWndProcBase);
	other.m_hCurrentInstanceHandle = (HINSTANCE)0x1234;
	other.m_hCurrentResourceHandle = ::GetModuleHandleA("afx.dll");
	{
		AFX_MANAGE_STATE(&other);
		CString strFound;  // the application has it, the current module not
		EXPECT_EQ(std::make_tuple((HINSTANCE)0x1234, (CWinApp*)NULL, true), std::make_tuple(AfxGetInstanceHandle(), AfxGetApp(),
			strFound.LoadString(20) && strFound == "in the application"));
	}
	EXPECT_EQ(pAppState, AfxGetModuleState());
	CWnd wnd;
	EXPECT_TRUE(wnd.CreateEx(0, NULL, _T("classless"), WS_POPUP, 0, 0, 20, 20, NULL, NULL) && (::GetClassLongPtr(wnd.m_hWnd, GCL_STYLE) & CS_DBLCLKS) != 0);
	CWinApp* pApp = AfxGetApp();
	std::free((void*)pApp->m_pszAppName);
	pApp->m_pszAppName = _tcsdup(_T("Renamed tests"));
	EXPECT_STREQ("Renamed tests", AfxGetAppName());
	CModalDriver modals;
	AfxMessageBox(_T("named"));
	std::free((void*)pApp->m_pszAppName);
	pApp->m_pszAppName = _tcsdup(_T("Mendle tests"));
	ASSERT_EQ(1u, modals.m_records.size());
	EXPECT_EQ("Renamed tests", modals.m_records[0].strTitle);
	CButton button;
	CPropertySheet sheet(_T("Sheet"));
	const std::shared_ptr<void> none;  // the application's object is not the test's to delete
	const std::tuple<std::shared_ptr<const CObject>, CRuntimeClass*, CRuntimeClass*> objects[] = {
		{ { none, AfxGetApp() }, RUNTIME_CLASS(CWinApp), RUNTIME_CLASS(CWinThread) },
		{ std::make_shared<CWinThread>(), RUNTIME_CLASS(CWinThread), RUNTIME_CLASS(CCmdTarget) },
		{ std::make_shared<CCmdTarget>(), RUNTIME_CLASS(CCmdTarget), RUNTIME_CLASS(CObject) },
		{ { none, &button }, RUNTIME_CLASS(CButton), RUNTIME_CLASS(CWnd) }, { std::make_shared<CStatic>(), RUNTIME_CLASS(CStatic), RUNTIME_CLASS(CWnd) },
		{ std::make_shared<CScrollBar>(), RUNTIME_CLASS(CScrollBar), RUNTIME_CLASS(CWnd) },
		{ std::make_shared<CFileDialog>(TRUE), RUNTIME_CLASS(CFileDialog), RUNTIME_CLASS(CCommonDialog) },
		{ std::make_shared<CPropertyPage>(1), RUNTIME_CLASS(CPropertyPage), RUNTIME_CLASS(CDialog) },
		{ { none, &sheet }, RUNTIME_CLASS(CPropertySheet), RUNTIME_CLASS(CWnd) },
		{ std::make_shared<CClientDC>(nullptr), RUNTIME_CLASS(CClientDC), RUNTIME_CLASS(CDC) },
		{ std::make_shared<COleDataSource>(), RUNTIME_CLASS(COleDataSource), RUNTIME_CLASS(CCmdTarget) },
		{ std::make_shared<CFile>(), RUNTIME_CLASS(CFile), RUNTIME_CLASS(CObject) },
		{ std::make_shared<CMemoryException>(), RUNTIME_CLASS(CMemoryException), RUNTIME_CLASS(CSimpleException) },
		{ std::make_shared<CResourceException>(), RUNTIME_CLASS(CResourceException), RUNTIME_CLASS(CSimpleException) },
	};
	for (const auto& [pObject, pClass, pBase] : objects)
	{
		EXPECT_EQ(std::make_pair(pClass, pBase), std::make_pair(pObject->GetRuntimeClass(), pClass->m_pfnGetBaseClass()));
		CObject* pAny = const_cast<CObject*>(pObject.get());
		EXPECT_TRUE(DYNAMIC_DOWNCAST(CObject, pAny) == pAny && !DYNAMIC_DOWNCAST(CFrameWnd, pAny) && !RUNTIME_CLASS(CObject)->IsDerivedFrom(pClass));
	}
	for (CRuntimeClass* pClass : { RUNTIME_CLASS(CWnd), RUNTIME_CLASS(CFrameWnd), RUNTIME_CLASS(CMenu), RUNTIME_CLASS(CDC),
		RUNTIME_CLASS(CGdiObject), RUNTIME_CLASS(CFont), RUNTIME_CLASS(CBitmap), RUNTIME_CLASS(CBrush), RUNTIME_CLASS(CRgn) })
	{
		std::unique_ptr<CObject> pMade(pClass->CreateObject());
		EXPECT_EQ(pClass, pMade->GetRuntimeClass());
	}
	CDataExchange dx(&sheet, FALSE);
	try
	{
		DDX_Control(&dx, 1, button);
		ADD_FAILURE() << "bound to no item";
	}
	catch (CException* e)
	{
		EXPECT_EQ(RUNTIME_CLASS(CNotSupportedException), e->GetRuntimeClass());
		e->Delete();
	}
	CTempFolder folder;
	const std::string strPath = folder / "file.bin";
	CFileException error;
	CFile file;
	EXPECT_FALSE(file.Open((strPath + ".missing").c_str(), CFile::modeRead, &error));
	EXPECT_EQ(std::make_pair((int)CFileException::fileNotFound, CFile::hFileNull), std::make_pair(error.m_cause, file.m_hFile));
	ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeWrite));
	file.Write("abcdef", 6);
	EXPECT_EQ(6u, file.GetLength());
	char szBuffer[16] = "";
	try { file.Read(szBuffer, 1), ADD_FAILURE() << "a read of a file open for writing"; }
	catch (CFileException* e) { EXPECT_EQ(CFileException::accessDenied, e->m_cause), e->Delete(); }
	file.Close();
	{
		CFile reader(strPath.c_str(), CFile::modeRead | CFile::shareDenyWrite);  // closed as it goes
		EXPECT_EQ(std::make_pair(FALSE, TRUE), std::make_pair(CFile().Open(strPath.c_str(), CFile::modeWrite | CFile::shareDenyNone),
			CFile().Open(strPath.c_str(), CFile::modeRead | CFile::shareDenyNone)));
	}
	EXPECT_TRUE(CFile().Open(strPath.c_str(), CFile::modeWrite | CFile::shareExclusive));
}
