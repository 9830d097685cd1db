// The host window: answers the plug-ins' cartridge messages and forwards the host's events.
#pragma once

#include <afxwin.h>
#include <vector>
#include "Cartridge.h"
#include "PluginModule.h"

class CHostWnd : public CWnd
{
public:
	explicit CHostWnd(CCartridge& cartridge);

	BOOL Create();
	void AddPlugin(const CPluginModule* pPlugin) { m_plugins.push_back(pPlugin); }
	void NotifyStatusChanged();
	CCartridge& GetCartridge() { return m_cartridge; }

protected:
	afx_msg LRESULT OnQueryStatus(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnPrepareTransfer(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnReadSave(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnWriteSave(WPARAM wParam, LPARAM lParam);

	CCartridge& m_cartridge;
	std::vector<const CPluginModule*> m_plugins;

	DECLARE_MESSAGE_MAP()
};
