#include "HostWnd.h"

static const TCHAR s_szHostClass[] = _T("CorvelHostWnd");

BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
	ON_MESSAGE(HM_QUERYSTATUS, &CHostWnd::OnQueryStatus)
	ON_MESSAGE(HM_PREPARETRANSFER, &CHostWnd::OnPrepareTransfer)
	ON_MESSAGE(HM_READSAVE, &CHostWnd::OnReadSave)
	ON_MESSAGE(HM_WRITESAVE, &CHostWnd::OnWriteSave)
END_MESSAGE_MAP()

CHostWnd::CHostWnd(CCartridgeSession& session) : m_session(session), m_hStatusView(NULL) {}

// A hidden top-level window: it only carries messages.
BOOL CHostWnd::Create()
{
	WNDCLASS wndcls = {};
	wndcls.lpfnWndProc = ::DefWindowProc;
	wndcls.hInstance = AfxGetInstanceHandle();
	wndcls.lpszClassName = s_szHostClass;
	if (!AfxRegisterClass(&wndcls))
		return FALSE;
	return CreateEx(0, s_szHostClass, _T("Corvel host"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
		CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL);
}

void CHostWnd::NotifyStatusChanged()
{
	for (const CPluginModule* pPlugin : m_plugins)
		pPlugin->ReceiveMessage(HM_STATUSCHANGED, 0, 0);
}

// Another program may have written the cartridge: its status comes from the file as it is now. A
// transfer that cannot use the file says why, and then finds no cartridge. A plug-in's values are
// checked before anything is done with them: a refused message answers 0.
LRESULT CHostWnd::OnQueryStatus(WPARAM wParam, LPARAM lParam)
{
	if (wParam == 0 || lParam != 0)
		return 0;
	CString strError;
	if (!m_session.Refresh(strError) && m_session.IsTransferPending())
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	m_session.FillStatus(*reinterpret_cast<CARTSTATUS*>(wParam));
	if (::IsWindow(m_hStatusView))
		::SendMessage(m_hStatusView, WM_CARTRIDGEREAD, 0, 0);
	return 1;
}

LRESULT CHostWnd::OnPrepareTransfer(WPARAM wParam, LPARAM lParam)
{
	if (wParam != 0 || lParam != 0)
		return 0;
	m_session.PrepareTransfer();
	return 1;
}

LRESULT CHostWnd::OnReadSave(WPARAM wParam, LPARAM lParam)
{
	return Transfer(wParam, lParam, FALSE);
}

LRESULT CHostWnd::OnWriteSave(WPARAM wParam, LPARAM lParam)
{
	return Transfer(wParam, lParam, TRUE);
}

// A transfer that fails, or a write that does not read back as written, is said in a warning box,
// never passed off as success.
LRESULT CHostWnd::Transfer(WPARAM wParam, LPARAM lParam, BOOL bWrite)
{
	CString strError;
	if (wParam == 0 || lParam < 0 || lParam >= SAVE_POSITION_COUNT)
		strError = _T("A plug-in asked for a save position that does not exist; nothing was transferred.");
	else if (bWrite ? m_session.WritePosition((int)lParam, reinterpret_cast<const BYTE*>(wParam), strError)
		: m_session.ReadPosition((int)lParam, reinterpret_cast<BYTE*>(wParam), strError))
		return 1;
	AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	return 0;
}
