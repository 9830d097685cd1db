// The window procedure, the creation hook, CWnd and its modal loop.
#include "afximpl.h"

union MessageMapFunctions
{
	AFX_PMSG pfn;
	void (AFX_MSG_CALL CWnd::*pfn_vv)();
	LRESULT (AFX_MSG_CALL CWnd::*pfn_lwl)(WPARAM, LPARAM);
	void (AFX_MSG_CALL CWnd::*pfn_vbw)(BOOL, UINT);
	BOOL (AFX_MSG_CALL CWnd::*pfn_bD)(CDC*);
	void (AFX_MSG_CALL CWnd::*pfn_vw)(UINT_PTR);
	void (AFX_MSG_CALL CWnd::*pfn_vW)(CWnd*);
	void (AFX_MSG_CALL CWnd::*pfn_vwii)(UINT, int, int);
	void (AFX_MSG_CALL CWnd::*pfn_vwwSB)(UINT, UINT, CScrollBar*);
	UINT (AFX_MSG_CALL CWnd::*pfn_wv)();
	void (AFX_MSG_CALL CWnd::*pfn_vwp)(UINT, CPoint);
	void (AFX_MSG_CALL CWnd::*pfn_vwww)(UINT, UINT, UINT);
	BOOL (AFX_MSG_CALL CWnd::*pfn_bwsp)(UINT, short, CPoint);
	int (AFX_MSG_CALL CWnd::*pfn_is)(LPCREATESTRUCT);
	void (AFX_MSG_CALL CWnd::*pfn_vWp)(CWnd*, CPoint);
};

// ---------------------------------------------------------------------------------------------
// Window procedure and creation hook

LRESULT AFXAPI AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	_AFX_THREAD_STATE* pThreadState = AfxGetThreadState();
	MSG oldState = pThreadState->m_lastSentMsg;
	pThreadState->m_lastSentMsg = { hWnd, nMsg, wParam, lParam, 0, {} };
	LRESULT lResult = 0;
	// No exception may unwind through the system's window-procedure frames: each one that
	// leaves a handler is the application's to handle, a failed new as a memory exception.
	try
	{
		lResult = pWnd->WindowProc(nMsg, wParam, lParam);
	}
	catch (CException* e)
	{
		lResult = AfxProcessWndProcException(e, &pThreadState->m_lastSentMsg);
		e->Delete();
	}
	catch (const std::bad_alloc&)
	{
		lResult = AfxProcessWndProcException(AfxGetMemoryException(), &pThreadState->m_lastSentMsg);
	}
	catch (...)
	{
		CException e(FALSE);
		lResult = AfxProcessWndProcException(&e, &pThreadState->m_lastSentMsg);
	}
	pThreadState->m_lastSentMsg = oldState;
	return lResult;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
	if (pWnd == NULL || pWnd->m_hWnd != hWnd)
		return ::DefWindowProc(hWnd, nMsg, wParam, lParam);
	return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

// The program's windows dispatch with the program's state current.
LRESULT CALLBACK AfxWndProcBase(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	AFX_MANAGE_STATE(AfxGetAppModuleState());
	return AfxWndProc(hWnd, nMsg, wParam, lParam);
}

LRESULT CALLBACK _AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
	_AFX_THREAD_STATE* pThreadState = AfxGetThreadState();
	if (code == HCBT_CREATEWND && pThreadState->m_pWndInit != NULL)
	{
		CWnd* pWndInit = pThreadState->m_pWndInit;
		pThreadState->m_pWndInit = NULL;
		HWND hWnd = (HWND)wParam;
		pWndInit->Attach(hWnd);
		pWndInit->PreSubclassWindow();
		WNDPROC pfnAfxWndProc = pWndInit->m_pModuleState->m_pfnAfxWndProc;
		WNDPROC pfnOld = (WNDPROC)::SetWindowLongPtr(hWnd, GWLP_WNDPROC, (LONG_PTR)pfnAfxWndProc);
		if (pfnOld != pfnAfxWndProc)
			*pWndInit->GetSuperWndProcAddr() = pfnOld;
	}
	return ::CallNextHookEx(pThreadState->m_hHookOldCbtFilter, code, wParam, lParam);
}

void AFXAPI AfxHookWindowCreate(CWnd* pWnd)
{
	_AFX_THREAD_STATE* pThreadState = AfxGetThreadState();
	if (pThreadState->m_hHookOldCbtFilter == NULL)
	{
		pThreadState->m_hHookOldCbtFilter =
			::SetWindowsHookEx(WH_CBT, _AfxCbtFilterHook, NULL, ::GetCurrentThreadId());
		if (pThreadState->m_hHookOldCbtFilter == NULL)
			AfxThrowMemoryException();
	}
	pThreadState->m_pWndInit = pWnd;
}

// FALSE when the hooked window was never created.
BOOL AFXAPI AfxUnhookWindowCreate()
{
	_AFX_THREAD_STATE* pThreadState = AfxGetThreadState();
	if (pThreadState->m_pWndInit != NULL)
	{
		pThreadState->m_pWndInit = NULL;
		return FALSE;
	}
	return TRUE;
}

// ---------------------------------------------------------------------------------------------
// CWnd

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
	ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(NULL), m_pfnSuper(NULL), m_nModalResult(0), m_bContinueModal(FALSE) {}

CWnd::~CWnd()
{
	if (m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this)
		DestroyWindow();
}

BOOL CWnd::Attach(HWND hWndNew)
{
	if (hWndNew == NULL || FromHandlePermanent(hWndNew) != NULL)
		return FALSE;
	AfxGetThreadState()->m_permanentMap[hWndNew] = this;
	m_hWnd = hWndNew;
	return TRUE;
}

HWND CWnd::Detach()
{
	HWND hWnd = m_hWnd;
	if (hWnd != NULL)
		AfxGetThreadState()->m_permanentMap.erase(hWnd);
	m_hWnd = NULL;
	return hWnd;
}

WNDPROC* CWnd::GetSuperWndProcAddr()
{
	return &m_pfnSuper;
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
	if (!Attach(hWnd))
		return FALSE;
	PreSubclassWindow();
	WNDPROC pfnAfxWndProc = m_pModuleState->m_pfnAfxWndProc;
	WNDPROC pfnOld = (WNDPROC)::SetWindowLongPtr(hWnd, GWLP_WNDPROC, (LONG_PTR)pfnAfxWndProc);
	WNDPROC* lplpfn = GetSuperWndProcAddr();
	if (*lplpfn == NULL)
		*lplpfn = pfnOld;
	return TRUE;
}

// A window without a class name gets the runtime's default class.
BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs)
{
	if (cs.lpszClass == NULL)
		cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursor(NULL, IDC_ARROW));
	return TRUE;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
	CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
	return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
		rect.right - rect.left, rect.bottom - rect.top, AfxHandleOf(pParentWnd, &CWnd::m_hWnd),
		(HMENU)(UINT_PTR)nID, (LPVOID)pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
	int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
	CREATESTRUCT cs = {};
	cs.dwExStyle = dwExStyle;
	cs.lpszClass = lpszClassName;
	cs.lpszName = lpszWindowName;
	cs.style = (LONG)dwStyle;
	cs.x = x;
	cs.y = y;
	cs.cx = nWidth;
	cs.cy = nHeight;
	cs.hwndParent = hWndParent;
	cs.hMenu = nIDorHMenu;
	cs.hInstance = AfxGetInstanceHandle();
	cs.lpCreateParams = lpParam;
	if (!PreCreateWindow(cs))
	{
		PostNcDestroy();
		return FALSE;
	}
	AfxHookWindowCreate(this);
	HWND hWnd = ::CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y,
		cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
	if (!AfxUnhookWindowCreate())
		PostNcDestroy();
	return hWnd != NULL;
}

BOOL CWnd::DestroyWindow()
{
	HWND hWndOrig = m_hWnd;
	if (hWndOrig == NULL)
		return FALSE;
	BOOL bResult = ::DestroyWindow(hWndOrig);
	// A window that was attached without subclassing never saw WM_NCDESTROY through us.
	CWnd* pWnd = FromHandlePermanent(hWndOrig);
	if (pWnd != NULL && !::IsWindow(hWndOrig))
		pWnd->Detach();
	return bResult;
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::DefWindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	if (m_pfnSuper != NULL)
		return ::CallWindowProc(m_pfnSuper, m_hWnd, nMsg, wParam, lParam);
	return ::DefWindowProc(m_hWnd, nMsg, wParam, lParam);
}

LRESULT CWnd::Default()
{
	const MSG& msg = AfxGetThreadState()->m_lastSentMsg;
	return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
	LRESULT lResult = 0;
	if (!OnWndMsg(message, wParam, lParam, &lResult))
		lResult = DefWindowProc(message, wParam, lParam);
	return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
	if (message == WM_COMMAND)
	{
		if (!OnCommand(wParam, lParam))
			return FALSE;
		*pResult = 1;
		return TRUE;
	}
	if (message == WM_NOTIFY)
		return OnNotify(wParam, lParam, pResult);

	for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != NULL;
		pMap = pMap->pfnGetBaseMap == NULL ? NULL : (*pMap->pfnGetBaseMap)())
	{
		const AFX_MSGMAP_ENTRY* lpEntry = AfxFindMessageEntry(pMap->lpEntries, message, 0, 0);
		if (lpEntry == NULL)
			continue;
		MessageMapFunctions mmf;
		mmf.pfn = lpEntry->pfn;
		LRESULT lResult = 0;
		switch (lpEntry->nSig)
		{
		case AfxSig_vv:
			(this->*mmf.pfn_vv)();
			break;
		case AfxSig_lwl:
			lResult = (this->*mmf.pfn_lwl)(wParam, lParam);
			break;
		case AfxSig_vbw:
			(this->*mmf.pfn_vbw)((BOOL)wParam, (UINT)lParam);
			break;
		case AfxSig_bD:
			lResult = (this->*mmf.pfn_bD)(CDC::FromHandle((HDC)wParam));
			break;
		case AfxSig_vw:
			(this->*mmf.pfn_vw)((UINT_PTR)wParam);
			break;
		case AfxSig_vW:
			(this->*mmf.pfn_vW)(CWnd::FromHandle((HWND)wParam));
			break;
		case AfxSig_vwii:
			(this->*mmf.pfn_vwii)((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam));
			break;
		case AfxSig_vwwSB:
			(this->*mmf.pfn_vwwSB)(LOWORD(wParam), HIWORD(wParam), (CScrollBar*)CWnd::FromHandle((HWND)lParam));
			break;
		case AfxSig_wv:
			lResult = (this->*mmf.pfn_wv)();
			break;
		case AfxSig_vwp:
			(this->*mmf.pfn_vwp)((UINT)wParam, CPoint(lParam));
			break;
		case AfxSig_vwww:
			(this->*mmf.pfn_vwww)((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
			break;
		case AfxSig_bwsp:
			lResult = (this->*mmf.pfn_bwsp)(LOWORD(wParam), (short)HIWORD(wParam), CPoint(lParam));
			break;
		case AfxSig_is:
			lResult = (this->*mmf.pfn_is)((LPCREATESTRUCT)lParam);
			break;
		case AfxSig_vWp:
			(this->*mmf.pfn_vWp)(CWnd::FromHandle((HWND)wParam), CPoint(lParam));
			break;
		default:
			return FALSE;
		}
		*pResult = lResult;
		return TRUE;
	}
	return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM)
{
	return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), NULL, NULL);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
	return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
	return FALSE;
}

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
	for (HWND hWnd = pMsg->hwnd; hWnd != NULL; hWnd = ::GetParent(hWnd))
	{
		CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
		if (pWnd != NULL && pWnd->PreTranslateMessage(pMsg))
			return TRUE;
		if (hWnd == hWndStop)
			break;
	}
	return FALSE;
}

HWND PASCAL CWnd::GetSafeOwner_(HWND hParent, HWND* pWndTop)
{
	HWND hWnd = hParent;
	if (hWnd == NULL)
		hWnd = AfxHandleOf(AfxGetMainWnd(), &CWnd::m_hWnd);
	if (hWnd == NULL)
		hWnd = ::GetActiveWindow();
	// A popup window cannot be owned by a child window.
	while (hWnd != NULL && (::GetWindowLong(hWnd, GWL_STYLE) & WS_CHILD))
		hWnd = ::GetParent(hWnd);
	HWND hWndTop = hWnd;
	for (HWND hWndTemp = hWnd; hWndTemp != NULL; hWndTemp = ::GetParent(hWndTemp))
		hWndTop = hWndTemp;
	if (hParent == NULL && hWnd != NULL)
		hWnd = ::GetLastActivePopup(hWnd);
	if (pWndTop != NULL)
	{
		*pWndTop = NULL;
		if (hWndTop != NULL && hWndTop != hWnd && ::IsWindowEnabled(hWndTop))
		{
			*pWndTop = hWndTop;
			::EnableWindow(hWndTop, FALSE);
		}
	}
	return hWnd;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
	CDataExchange dx(this, bSaveAndValidate);
	DoDataExchange(&dx);
	return TRUE;
}

int CWnd::OnCreate(LPCREATESTRUCT)
{
	return (int)Default();
}

void CWnd::OnShowWindow(BOOL, UINT)
{
	Default();
}

void CWnd::OnKillFocus(CWnd*)
{
	Default();
}

void CWnd::OnSize(UINT, int, int)
{
	Default();
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask)
{
	lpScrollInfo->cbSize = sizeof(*lpScrollInfo);
	lpScrollInfo->fMask = nMask;
	return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

void CWnd::OnDestroy()
{
	Default();
}

void CWnd::OnNcDestroy()
{
	WNDPROC pfnWndProc = (WNDPROC)::GetWindowLongPtr(m_hWnd, GWLP_WNDPROC);
	Default();
	if ((WNDPROC)::GetWindowLongPtr(m_hWnd, GWLP_WNDPROC) == pfnWndProc && m_pfnSuper != NULL)
		::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
	// The main window's end is the program's: its loop ends, and nothing reads the window again.
	CWinApp* pApp = AfxGetApp();
	if (pApp != NULL && pApp->m_pMainWnd == this)
	{
		if (!AfxGetModuleState()->m_bDLL)
			::PostQuitMessage(0);
		pApp->m_pMainWnd = NULL;
	}
	Detach();
	PostNcDestroy();
}

// ---------------------------------------------------------------------------------------------
// Modal loops

// One message through the application, or straight to its window where there is none.
static BOOL PumpModalMessage(HWND hWndModal, MSG* pMsg)
{
	CWinThread* pThread = AfxGetApp();
	if (pThread != NULL)
	{
		BOOL bResult = pThread->PumpMessage();
		*pMsg = pThread->m_msgCur;
		return bResult;
	}
	if (::GetMessage(pMsg, NULL, 0, 0) <= 0)
		return FALSE;
	if (!CWnd::WalkPreTranslateTree(hWndModal, pMsg))
	{
		::TranslateMessage(pMsg);
		::DispatchMessage(pMsg);
	}
	return TRUE;
}

// While the queue is empty: the parent hears WM_ENTERIDLE once, the window WM_KICKIDLE with a
// growing count for as long as it answers nonzero; the application's OnIdle is not called.
int CWnd::RunModalLoop(DWORD dwFlags)
{
	m_bContinueModal = TRUE;
	BOOL bIdle = TRUE;
	LONG lIdleCount = 0;
	BOOL bShowIdle = (dwFlags & MLF_SHOWONIDLE) != 0 && (GetStyle() & WS_VISIBLE) == 0;
	HWND hWndParent = ::GetParent(m_hWnd);
	CWinThread* pThread = AfxGetApp();
	MSG msg;
	for (;;)
	{
		while (bIdle && !::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE))
		{
			if (bShowIdle)
			{
				ShowWindow(SW_SHOWNORMAL);
				UpdateWindow();
				bShowIdle = FALSE;
			}
			if ((dwFlags & MLF_NOIDLEMSG) == 0 && hWndParent != NULL && lIdleCount == 0)
				::SendMessage(hWndParent, WM_ENTERIDLE, MSGF_DIALOGBOX, (LPARAM)m_hWnd);
			if ((dwFlags & MLF_NOKICKIDLE) != 0 || !SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, lIdleCount++))
				bIdle = FALSE;
		}
		do
		{
			if (!PumpModalMessage(m_hWnd, &msg))
			{
				::PostQuitMessage(0);
				return -1;
			}
			if (!ContinueModal())
				return m_nModalResult;
			if (pThread == NULL || pThread->IsIdleMessage(&msg))
			{
				bIdle = TRUE;
				lIdleCount = 0;
			}
		} while (::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE));
	}
}

BOOL CWnd::ContinueModal()
{
	return m_bContinueModal;
}

void CWnd::EndModalLoop(int nResult)
{
	m_nModalResult = nResult;
	m_bContinueModal = FALSE;
	::PostMessage(m_hWnd, WM_NULL, 0, 0);
}
