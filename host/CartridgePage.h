// The host's own page: the simulated cartridge's switches, its file, fault switches and backups.
#pragma once

#include <afxdlgs.h>
#include "HostWnd.h"

class CCartridgePage : public CPropertyPage
{
public:
	explicit CCartridgePage(CHostWnd& hostWnd);

	BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
	BOOL OnInitDialog() override;
	BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
	void ShowCartridge();
	void ShowStatus();
	void ShowBackups();
	void ChangeStatus(const std::function<void(CCartridge&)>& fnChange);

	afx_msg void OnCommitCartId();
	afx_msg void OnFaultChanged();
	afx_msg void OnOpenCartridge();
	afx_msg void OnStartAnew();
	afx_msg LRESULT OnCartridgeRead(WPARAM wParam, LPARAM lParam);
	afx_msg void OnRestore();
	afx_msg void OnViewSave();
	afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);

	CHostWnd& m_hostWnd;
	std::vector<CBackup> m_backups;

	DECLARE_MESSAGE_MAP()
};
