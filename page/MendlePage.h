// The "Save games" property page: reads, writes and formats the cartridge's save positions.
#pragma once

#include <afxdlgs.h>
#include "PageHexEdit.h"
#include "../plugin/HostMessages.h"
#include "../plugin/TavPropertyPage.h"

class CMendlePage : public CPropertyPage, public ITavPropertyPage
{
	DECLARE_DYNCREATE(CMendlePage)
public:
	CMendlePage();
	virtual ~CMendlePage();

	CPropertyPage* GetPropertyPage(CWnd* pHostWnd) override;
	LRESULT OnHostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);

protected:
	void DoDataExchange(CDataExchange* pDX) override;
	BOOL OnInitDialog() override;

	void RefreshStatus();
	void EnableControls(BOOL bEnable, BOOL bMorePositions);
	void RefreshSnapshot(int nPosition);
	void ReadPosition(int nPosition);
	void WritePosition(int nPosition);
	void TransferPosition(UINT nTransferMsg, int nPosition);
	void QueryStatus(CARTSTATUS& status);
	void SelectPosition(int nPosition);
	void FormatImage();

	afx_msg void OnPosition1();
	afx_msg void OnPosition2();
	afx_msg void OnPosition3();
	afx_msg void OnPosition4();
	afx_msg void OnShowSnapshot();
	afx_msg void OnReadToDisk();
	afx_msg void OnWriteFromDisk();
	afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
	afx_msg void OnFormatSelected();
	afx_msg void OnFormatAll();

	CButton m_btnFormatSelected;
	CButton m_btnFormatAll;
	CStatic m_stcTrovesaveNote;
	CStatic m_stcWarningIcon;
	CPageHexEdit m_ctlSnapshot;
	CButton m_btnWrite;
	CButton m_btnRead;
	CButton m_chkSnapshot;
	BYTE m_abSaveImage[SAVE_POSITION_SIZE + 256];
	int m_nPosition;

	DECLARE_MESSAGE_MAP()
};
