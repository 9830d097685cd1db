// The host window: answers the plug-ins' cartridge messages and forwards the host's events.
#pragma once

#include <afxwin.h>
#include <vector>
#include "CartridgeSession.h"
#include "PluginModule.h"

class CHostWnd : public CWnd
{
public:
	explicit CHostWnd(CCartridgeSession& session);

	BOOL Create();
	void AddPlugin(const CPluginModule* pPlugin) { m_plugins.push_back(pPlugin); }
	void NotifyStatusChanged();
	CCartridgeSession& GetSession() { return m_session; }
	void SetStatusView(HWND hWnd) { m_hStatusView = hWnd; }

	// Sent to the status view whenever the cartridge file has been read.
	static const UINT WM_CARTRIDGEREAD = WM_APP + 0x100;

protected:
	afx_msg LRESULT OnQueryStatus(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnPrepareTransfer(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnReadSave(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnWriteSave(WPARAM wParam, LPARAM lParam);
	LRESULT Transfer(WPARAM wParam, LPARAM lParam, BOOL bWrite);

	CCartridgeSession& m_session;
	std::vector<const CPluginModule*> m_plugins;
	HWND m_hStatusView;

	DECLARE_MESSAGE_MAP()
};
