#include "afximpl.h"
#include "../afxdlgs.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

// Called just before the system creates a page's window, so that the hook attaches the page.
static UINT CALLBACK AfxPropPageCallback(HWND, UINT message, LPPROPSHEETPAGE ppsp)
{
	if (message == PSPCB_CREATE)
		AfxHookWindowCreate(reinterpret_cast<CPropertyPage*>(ppsp->lParam));
	return TRUE;
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, DWORD dwSize) : m_psp(), m_bFirstSetActive(TRUE)
{
	Construct(nIDTemplate, nIDCaption);
	m_psp.dwSize = dwSize;
}

// Template and caption come from the module whose state is current now.
void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption)
{
	m_lpszTemplateName = MAKEINTRESOURCE(nIDTemplate);
	m_psp.dwSize = sizeof(m_psp);
	m_psp.dwFlags = PSP_USECALLBACK;
	m_psp.hInstance = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
	m_psp.pszTemplate = m_lpszTemplateName;
	m_psp.pfnDlgProc = AfxDlgProc;
	m_psp.lParam = reinterpret_cast<LPARAM>(this);
	m_psp.pfnCallback = AfxPropPageCallback;
	if (nIDCaption != 0 && m_strCaption.LoadString(nIDCaption))
	{
		m_psp.pszTitle = m_strCaption;
		m_psp.dwFlags |= PSP_USETITLE;
	}
}

// The controls were filled by OnInitDialog the first time; later activations fill them again.
BOOL CPropertyPage::OnSetActive()
{
	if (m_bFirstSetActive)
		m_bFirstSetActive = FALSE;
	else
		UpdateData(FALSE);
	return TRUE;
}

// FALSE keeps the page active: its data did not validate.
BOOL CPropertyPage::OnKillActive()
{
	return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
	OnOK();
	return TRUE;
}

// The sheet, not the page, ends the dialog.
void CPropertyPage::OnOK()
{
}

void CPropertyPage::OnCancel()
{
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
	switch (((NMHDR*)lParam)->code)
	{
	case PSN_SETACTIVE:
		*pResult = OnSetActive() ? 0 : -1;
		return TRUE;
	case PSN_KILLACTIVE:
		*pResult = !OnKillActive();
		return TRUE;
	case PSN_APPLY:
		*pResult = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
		return TRUE;
	default:
		return CDialog::OnNotify(wParam, lParam, pResult);
	}
}

CPropertySheet::CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
	: m_psh(), m_strCaption(pszCaption), m_pParentWnd(pParentWnd)
{
	m_psh.dwSize = sizeof(m_psh);
	m_psh.nStartPage = iSelectPage;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
	m_pages.push_back(pPage);
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
	if (m_hWnd == NULL)
		return m_psh.nStartPage < m_pages.size() ? m_pages[m_psh.nStartPage] : NULL;
	HWND hWndPage = (HWND)SendMessage(PSM_GETCURRENTPAGEHWND);
	return DYNAMIC_DOWNCAST(CPropertyPage, CWnd::FromHandlePermanent(hWndPage));
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
	if (m_hWnd == NULL)
	{
		m_psh.nStartPage = (UINT)nPage;
		return TRUE;
	}
	return (BOOL)SendMessage(PSM_SETCURSEL, (WPARAM)nPage);
}

void CPropertySheet::BuildPropPageArray()
{
	m_aPsp.clear();
	for (CPropertyPage* pPage : m_pages)
		m_aPsp.push_back(pPage->m_psp);
	m_psh.dwFlags |= PSH_PROPSHEETPAGE;
	m_psh.nPages = (UINT)m_aPsp.size();
	m_psh.ppsp = m_aPsp.data();
	m_psh.pszCaption = m_strCaption;
	m_psh.hInstance = AfxGetResourceHandle();
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD, DWORD)
{
	BuildPropPageArray();
	m_psh.dwFlags |= PSH_MODELESS;
	m_psh.hwndParent = AfxHandleOf(pParentWnd, &CWnd::m_hWnd);
	AfxHookWindowCreate(this);
	HWND hWnd = (HWND)::PropertySheet(&m_psh);
	AfxUnhookWindowCreate();
	return hWnd != NULL && hWnd != (HWND)-1;
}

// Runs modeless under our own loop, so that PreTranslateMessage sees every message first. However
// the loop ends, an exception's way too, the owners are enabled again and the sheet destroyed.
INT_PTR CPropertySheet::DoModal()
{
	HWND hWndTop = NULL;
	HWND hWndParent = CWnd::GetSafeOwner_(AfxHandleOf(m_pParentWnd, &CWnd::m_hWnd), &hWndTop);
	CReenableOnExit top(hWndTop);
	const BOOL bParentEnabled = hWndParent != NULL && ::IsWindowEnabled(hWndParent);
	if (!Create(CWnd::FromHandle(hWndParent)))
		return -1;
	CDestroyOnExit sheet(this);
	// The owner is enabled before the sheet goes, so that it takes the activation back.
	CReenableOnExit parent(bParentEnabled ? hWndParent : NULL);
	if (bParentEnabled)
		::EnableWindow(hWndParent, FALSE);
	RunModalLoop(MLF_SHOWONIDLE);
	// The sheet answers as PropertySheet would: positive after OK, 0 after Cancel.
	LRESULT lResult = SendMessage(PSM_GETRESULT);
	return lResult > 0 ? IDOK : lResult == 0 ? IDCANCEL : -1;
}

BOOL CPropertySheet::ContinueModal()
{
	return CWnd::ContinueModal() && SendMessage(PSM_GETCURRENTPAGEHWND) != 0;
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
	return (BOOL)SendMessage(PSM_ISDIALOGMESSAGE, 0, (LPARAM)pMsg);
}
