// The host's own page: switches the simulated cartridge's state.
#pragma once

#include <afxdlgs.h>
#include "HostWnd.h"

class CCartridgePage : public CPropertyPage
{
public:
	explicit CCartridgePage(CHostWnd& hostWnd);

protected:
	BOOL OnInitDialog() override;
	void StatusChanged();

	afx_msg void OnSwitchChanged();
	afx_msg void OnCartIdChanged();

	CHostWnd& m_hostWnd;

	DECLARE_MESSAGE_MAP()
};
