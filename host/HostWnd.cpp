#include "HostWnd.h"

static const TCHAR s_szHostClass[] = _T("CorvelHostWnd");

BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
	ON_MESSAGE(HM_QUERYSTATUS, &CHostWnd::OnQueryStatus)
	ON_MESSAGE(HM_PREPARETRANSFER, &CHostWnd::OnPrepareTransfer)
	ON_MESSAGE(HM_READSAVE, &CHostWnd::OnReadSave)
	ON_MESSAGE(HM_WRITESAVE, &CHostWnd::OnWriteSave)
END_MESSAGE_MAP()

CHostWnd::CHostWnd(CCartridgeSession& session) : m_session(session) {}

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

// Another program may have written the cartridge: its status, and the bytes a transfer then reads,
// come from the file as it is now. A transfer that cannot use the file says why, and then finds
// no cartridge.
LRESULT CHostWnd::OnQueryStatus(WPARAM wParam, LPARAM)
{
	CString strError;
	if (!m_session.Refresh(strError) && m_session.IsTransferPending())
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	m_session.FillStatus(*reinterpret_cast<CARTSTATUS*>(wParam));
	return 1;
}

LRESULT CHostWnd::OnPrepareTransfer(WPARAM, LPARAM)
{
	m_session.PrepareTransfer();
	return 1;
}

LRESULT CHostWnd::OnReadSave(WPARAM wParam, LPARAM lParam)
{
	return m_session.ReadPosition((int)lParam, reinterpret_cast<BYTE*>(wParam));
}

// A write that fails, or does not read back as written, is reported here, never as success.
LRESULT CHostWnd::OnWriteSave(WPARAM wParam, LPARAM lParam)
{
	CString strError;
	if (m_session.WritePosition((int)lParam, reinterpret_cast<const BYTE*>(wParam), strError))
		return 1;
	AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	return 0;
}
