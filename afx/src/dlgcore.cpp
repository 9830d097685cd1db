#include "afximpl.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

// Dialogs are subclassed by the creation hook; the dialog procedure only starts them up.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT nMsg, WPARAM, LPARAM)
{
	if (nMsg != WM_INITDIALOG)
		return FALSE;
	CDialog* pDlg = DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(hWnd));
	return pDlg != NULL ? pDlg->OnInitDialog() : TRUE;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
	ON_COMMAND(IDOK, &CDialog::OnOK)
	ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() : m_lpszTemplateName(NULL), m_pParentWnd(NULL) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
	: m_lpszTemplateName(MAKEINTRESOURCE(nIDTemplate)), m_pParentWnd(pParentWnd)
{
}

BOOL CDialog::OnInitDialog()
{
	return UpdateData(FALSE);
}

void CDialog::OnOK()
{
	if (UpdateData(TRUE))
		EndDialog(IDOK);
}

void CDialog::OnCancel()
{
	EndDialog(IDCANCEL);
}

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL) : m_pDlgWnd(pDlgWnd) {}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
	if (rControl.m_hWnd != NULL)
		return;
	HWND hWndCtrl;
	pDX->m_pDlgWnd->GetDlgItem(nIDC, &hWndCtrl);
	if (!rControl.SubclassWindow(hWndCtrl))
		AfxThrowNotSupportedException();
}
