#include "CartridgePage.h"
#include "SaveViewerFrame.h"
#include "resource.h"

static const TCHAR s_szCartFilter[] = _T("Cartridges (*.cart)|*.cart|All files (*.*)|*.*||");
static const TCHAR s_szSaveFilter[] = _T("Save games (*.sav)|*.sav|All files (*.*)|*.*||");

// The cartridge's switches: a click stores the one clicked, and nothing else.
static const struct
{
	int nID;
	BOOL CCartridge::*pbSwitch;
} s_switches[] = {
	{ IDC_CART_PRESENT, &CCartridge::m_bPresent }, { IDC_LINK_READY, &CCartridge::m_bLinkReady },
	{ IDC_BLOCKED, &CCartridge::m_bBlocked }, { IDC_MULTI_POSITION, &CCartridge::m_bMultiPosition },
	{ IDC_TROVESAVE, &CCartridge::m_bTrovesave },
};

BEGIN_MESSAGE_MAP(CCartridgePage, CPropertyPage)
	ON_EN_KILLFOCUS(IDC_CART_ID, &CCartridgePage::OnCommitCartId)
	ON_BN_CLICKED(IDC_FAULT_NOCART, &CCartridgePage::OnFaultChanged)
	ON_BN_CLICKED(IDC_FAULT_LINKDROP, &CCartridgePage::OnFaultChanged)
	ON_BN_CLICKED(IDC_FAULT_FLIPBIT, &CCartridgePage::OnFaultChanged)
	ON_BN_CLICKED(IDC_OPEN_CART, &CCartridgePage::OnOpenCartridge)
	ON_BN_CLICKED(IDC_START_ANEW, &CCartridgePage::OnStartAnew)
	ON_MESSAGE(CHostWnd::WM_CARTRIDGEREAD, &CCartridgePage::OnCartridgeRead)
	ON_BN_CLICKED(IDC_RESTORE, &CCartridgePage::OnRestore)
	ON_BN_CLICKED(IDC_VIEW_SAVE, &CCartridgePage::OnViewSave)
	ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CCartridgePage::CCartridgePage(CHostWnd& hostWnd)
	: CPropertyPage(IDD_CARTRIDGE_PAGE, IDS_CARTRIDGE_CAPTION), m_hostWnd(hostWnd)
{
}

BOOL CCartridgePage::OnInitDialog()
{
	CPropertyPage::OnInitDialog();
	m_hostWnd.SetStatusView(m_hWnd);
	ShowCartridge();
	return TRUE;
}

// Enter in the identity box changes the identity, and does not press the sheet's default button,
// which would close the sheet.
BOOL CCartridgePage::PreTranslateMessage(MSG* pMsg)
{
	if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && pMsg->hwnd == ::GetDlgItem(m_hWnd, IDC_CART_ID))
	{
		OnCommitCartId();
		return TRUE;
	}
	return CPropertyPage::PreTranslateMessage(pMsg);
}

BOOL CCartridgePage::OnCommand(WPARAM wParam, LPARAM lParam)
{
	for (const auto& sw : s_switches)
	{
		if (LOWORD(wParam) != sw.nID || HIWORD(wParam) != BN_CLICKED)
			continue;
		const BOOL bOn = IsDlgButtonChecked(sw.nID) == BST_CHECKED;
		ChangeStatus([&sw, bOn](CCartridge& cartridge) { cartridge.*sw.pbSwitch = bOn; });
		return TRUE;
	}
	return CPropertyPage::OnCommand(wParam, lParam);
}

void CCartridgePage::ShowCartridge()
{
	ShowStatus();
	::SetDlgItemText(m_hWnd, IDC_CART_PATH, m_hostWnd.GetSession().GetPath());
	ShowBackups();
}

// The switches as the file was last read, the fault switches, and whether it is damaged. An
// identity that the user is typing stays until it is committed.
void CCartridgePage::ShowStatus()
{
	CCartridgeSession& session = m_hostWnd.GetSession();
	const CCartridge& cartridge = session.GetCartridge();
	for (const auto& sw : s_switches)
		CheckDlgButton(sw.nID, cartridge.*sw.pbSwitch ? BST_CHECKED : BST_UNCHECKED);
	BOOL bValid = FALSE;
	if (!::SendDlgItemMessage(m_hWnd, IDC_CART_ID, EM_GETMODIFY, 0, 0) &&
		(::GetDlgItemInt(m_hWnd, IDC_CART_ID, &bValid, FALSE) != cartridge.m_dwCartId || !bValid))
		::SetDlgItemInt(m_hWnd, IDC_CART_ID, cartridge.m_dwCartId, FALSE);
	CheckDlgButton(IDC_FAULT_NOCART, session.m_faults.bNoCartridgeNextTransfer ? BST_CHECKED : BST_UNCHECKED);
	CheckDlgButton(IDC_FAULT_LINKDROP, session.m_faults.bLinkDropped ? BST_CHECKED : BST_UNCHECKED);
	CheckDlgButton(IDC_FAULT_FLIPBIT, session.m_faults.bFlipBitNextWrite ? BST_CHECKED : BST_UNCHECKED);
	::EnableWindow(::GetDlgItem(m_hWnd, IDC_START_ANEW), session.IsDamaged());
}

// Newest first.
void CCartridgePage::ShowBackups()
{
	CString strError;
	if (!m_hostWnd.GetSession().ListBackups(m_backups, strError))
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	HWND hList = ::GetDlgItem(m_hWnd, IDC_BACKUPS);
	::SendMessage(hList, LB_RESETCONTENT, 0, 0);
	for (auto it = m_backups.rbegin(); it != m_backups.rend(); ++it)
	{
		CString strItem;
		strItem.Format(_T("Position %d, %s"), it->nPosition + 1, (LPCTSTR)it->strTime);
		::SendMessage(hList, LB_ADDSTRING, 0, (LPARAM)(LPCTSTR)strItem);
	}
}

// The cartridge file takes the change, and the plug-ins follow at once. The page shows the file as
// the change found it, and as it still is when the change cannot be stored.
void CCartridgePage::ChangeStatus(const std::function<void(CCartridge&)>& fnChange)
{
	CString strError;
	if (!m_hostWnd.GetSession().Change(fnChange, strError))
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	ShowCartridge();
	m_hostWnd.NotifyStatusChanged();
}

// The identity typed is stored when the user is done with it, at Enter or on leaving the box, not
// at each keystroke: each change makes every plug-in look at the cartridge anew. What the
// cartridge holds already, or an empty box, changes nothing.
void CCartridgePage::OnCommitCartId()
{
	if (!::SendDlgItemMessage(m_hWnd, IDC_CART_ID, EM_GETMODIFY, 0, 0))
		return;
	// Cleared first: a message box that the change raises takes the focus, and must not commit it again.
	::SendDlgItemMessage(m_hWnd, IDC_CART_ID, EM_SETMODIFY, FALSE, 0);
	BOOL bValid = FALSE;
	const UINT nCartId = ::GetDlgItemInt(m_hWnd, IDC_CART_ID, &bValid, FALSE);
	if (bValid && nCartId != m_hostWnd.GetSession().GetCartridge().m_dwCartId)
		ChangeStatus([nCartId](CCartridge& cartridge) { cartridge.m_dwCartId = nCartId; });
	else
		ShowStatus();
}

void CCartridgePage::OnFaultChanged()
{
	CFaultSwitches& faults = m_hostWnd.GetSession().m_faults;
	faults.bNoCartridgeNextTransfer = IsDlgButtonChecked(IDC_FAULT_NOCART);
	faults.bLinkDropped = IsDlgButtonChecked(IDC_FAULT_LINKDROP);
	faults.bFlipBitNextWrite = IsDlgButtonChecked(IDC_FAULT_FLIPBIT);
	m_hostWnd.NotifyStatusChanged();
}

// A cartridge that cannot be opened leaves the current one in place; a damaged one is shown, with
// no cartridge, so that it can be started anew.
void CCartridgePage::OnOpenCartridge()
{
	CFileDialog dlg(TRUE, _T("cart"), NULL, OFN_HIDEREADONLY | OFN_EXPLORER, s_szCartFilter, this);
	if (dlg.DoModal() != IDOK)
		return;
	CString strError;
	if (!m_hostWnd.GetSession().Open(dlg.GetPathName(), TRUE, strError))
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	ShowCartridge();
	m_hostWnd.NotifyStatusChanged();
}

void CCartridgePage::OnStartAnew()
{
	CCartridgeSession& session = m_hostWnd.GetSession();
	CString strQuestion;
	strQuestion.Format(_T("Move the damaged %s aside and start a new cartridge in its place?\n\nIts backups are kept, and "
		"can be restored here."), (LPCTSTR)session.GetPath());
	if (AfxMessageBox(strQuestion, MB_ICONQUESTION | MB_YESNO) != IDYES)
		return;
	CString strReport;
	const BOOL bDone = session.StartAnew(session.GetPath(), strReport);
	AfxMessageBox(strReport, bDone ? MB_ICONINFORMATION | MB_OK : MB_ICONEXCLAMATION | MB_OK);
	ShowCartridge();
	m_hostWnd.NotifyStatusChanged();
}

// At every status query of a plug-in: the backup list, which only writes change, keeps the
// user's choice until the page comes up again.
LRESULT CCartridgePage::OnCartridgeRead(WPARAM, LPARAM)
{
	ShowStatus();
	return 0;
}

void CCartridgePage::OnRestore()
{
	int nItem = (int)::SendDlgItemMessage(m_hWnd, IDC_BACKUPS, LB_GETCURSEL, 0, 0);
	if (nItem < 0 || nItem >= (int)m_backups.size())
	{
		AfxMessageBox(_T("Choose a backup to restore first."), MB_ICONINFORMATION | MB_OK);
		return;
	}
	const CBackup backup = m_backups[m_backups.size() - 1 - nItem];
	CString strQuestion;
	strQuestion.Format(_T("Restore position %d to its backup of %s?\n\nWhat the position holds now is backed up first."),
		backup.nPosition + 1, (LPCTSTR)backup.strTime);
	if (AfxMessageBox(strQuestion, MB_ICONQUESTION | MB_YESNO) != IDYES)
		return;
	CString strError;
	if (!m_hostWnd.GetSession().WriteFromFile(backup.nPosition, backup.strPath, strError))
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	ShowBackups();
}

void CCartridgePage::OnViewSave()
{
	CFileDialog dlg(TRUE, NULL, NULL, OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST, s_szSaveFilter, this);
	if (dlg.DoModal() != IDOK)
		return;
	CString strError;
	if (CSaveViewerFrame::Open(dlg.GetPathName(), strError) == NULL)
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
}

// Writes made on other pages or by other programs change the cartridge and add backups: show
// them as the file holds them whenever this page comes up. A damaged file is shown by the button
// that starts anew.
void CCartridgePage::OnShowWindow(BOOL bShow, UINT nStatus)
{
	CPropertyPage::OnShowWindow(bShow, nStatus);
	if (!bShow)
		return;
	CString strError;
	if (!m_hostWnd.GetSession().Refresh(strError) && !m_hostWnd.GetSession().IsDamaged())
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
	ShowCartridge();
}
