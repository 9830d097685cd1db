#include "HostWnd.h"

static const TCHAR s_szHostClass[] = _T("CorvelHostWnd");

BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
	ON_MESSAGE(HM_QUERYSTATUS, &CHostWnd::OnQueryStatus)
	ON_MESSAGE(HM_PREPARETRANSFER, &CHostWnd::OnPrepareTransfer)
	ON_MESSAGE(HM_READSAVE, &CHostWnd::OnReadSave)
	ON_MESSAGE(HM_WRITESAVE, &CHostWnd::OnWriteSave)
END_MESSAGE_MAP()

CHostWnd::CHostWnd(CCartridge& cartridge) : m_cartridge(cartridge) {}

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

LRESULT CHostWnd::OnQueryStatus(WPARAM wParam, LPARAM)
{
	m_cartridge.FillStatus(*reinterpret_cast<CARTSTATUS*>(wParam));
	return 1;
}

LRESULT CHostWnd::OnPrepareTransfer(WPARAM, LPARAM)
{
	return 1;
}

LRESULT CHostWnd::OnReadSave(WPARAM wParam, LPARAM lParam)
{
	return m_cartridge.ReadPosition((int)lParam, reinterpret_cast<BYTE*>(wParam));
}

LRESULT CHostWnd::OnWriteSave(WPARAM wParam, LPARAM lParam)
{
	return m_cartridge.WritePosition((int)lParam, reinterpret_cast<const BYTE*>(wParam));
}
