#include "CartridgePage.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CCartridgePage, CPropertyPage)
	ON_BN_CLICKED(IDC_CART_PRESENT, &CCartridgePage::OnSwitchChanged)
	ON_BN_CLICKED(IDC_LINK_READY, &CCartridgePage::OnSwitchChanged)
	ON_BN_CLICKED(IDC_BLOCKED, &CCartridgePage::OnSwitchChanged)
	ON_BN_CLICKED(IDC_MULTI_POSITION, &CCartridgePage::OnSwitchChanged)
	ON_BN_CLICKED(IDC_TROVESAVE, &CCartridgePage::OnSwitchChanged)
	ON_EN_CHANGE(IDC_CART_ID, &CCartridgePage::OnCartIdChanged)
END_MESSAGE_MAP()

CCartridgePage::CCartridgePage(CHostWnd& hostWnd)
	: CPropertyPage(IDD_CARTRIDGE_PAGE, IDS_CARTRIDGE_CAPTION), m_hostWnd(hostWnd)
{
}

BOOL CCartridgePage::OnInitDialog()
{
	CPropertyPage::OnInitDialog();
	const CCartridge& cartridge = m_hostWnd.GetSession().GetCartridge();
	CheckDlgButton(IDC_CART_PRESENT, cartridge.m_bPresent ? BST_CHECKED : BST_UNCHECKED);
	CheckDlgButton(IDC_LINK_READY, cartridge.m_bLinkReady ? BST_CHECKED : BST_UNCHECKED);
	CheckDlgButton(IDC_BLOCKED, cartridge.m_bBlocked ? BST_CHECKED : BST_UNCHECKED);
	CheckDlgButton(IDC_MULTI_POSITION, cartridge.m_bMultiPosition ? BST_CHECKED : BST_UNCHECKED);
	CheckDlgButton(IDC_TROVESAVE, cartridge.m_bTrovesave ? BST_CHECKED : BST_UNCHECKED);
	::SetDlgItemInt(m_hWnd, IDC_CART_ID, cartridge.m_dwCartId, FALSE);
	return TRUE;
}

void CCartridgePage::OnSwitchChanged()
{
	CCartridge& cartridge = m_hostWnd.GetSession().GetCartridge();
	cartridge.m_bPresent = IsDlgButtonChecked(IDC_CART_PRESENT);
	cartridge.m_bLinkReady = IsDlgButtonChecked(IDC_LINK_READY);
	cartridge.m_bBlocked = IsDlgButtonChecked(IDC_BLOCKED);
	cartridge.m_bMultiPosition = IsDlgButtonChecked(IDC_MULTI_POSITION);
	cartridge.m_bTrovesave = IsDlgButtonChecked(IDC_TROVESAVE);
	StatusChanged();
}

// The plug-ins follow at once, and the cartridge file keeps the new state.
void CCartridgePage::StatusChanged()
{
	m_hostWnd.NotifyStatusChanged();
	CString strError;
	if (!m_hostWnd.GetSession().Save(strError))
		AfxMessageBox(strError, MB_ICONEXCLAMATION | MB_OK);
}

void CCartridgePage::OnCartIdChanged()
{
	BOOL bValid = FALSE;
	UINT nCartId = ::GetDlgItemInt(m_hWnd, IDC_CART_ID, &bValid, FALSE);
	if (!bValid)
		return;
	m_hostWnd.GetSession().GetCartridge().m_dwCartId = nCartId;
	StatusChanged();
}
