// Standard dialogs of the MFC-compatible runtime: file dialogs, property pages and sheets.
#pragma once

#include "afxwin.h"
#include <commdlg.h>
#include <vector>

class CCommonDialog : public CDialog
{
	DECLARE_DYNAMIC(CCommonDialog)
public:
	explicit CCommonDialog(CWnd* pParentWnd);
};

class CFileDialog : public CCommonDialog
{
	DECLARE_DYNAMIC(CFileDialog)
public:
	explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = NULL, LPCTSTR lpszFileName = NULL,
		DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = NULL,
		CWnd* pParentWnd = NULL, DWORD dwSize = 0, BOOL bVistaStyle = TRUE);

	virtual INT_PTR DoModal();
	CString GetPathName() const { return m_ofn.lpstrFile; }

	OPENFILENAME m_ofn;

protected:
	BOOL m_bOpenFileDialog;
	CString m_strDefExt;
	CString m_strFilter;
	TCHAR m_szFileName[_MAX_PATH];
};

class CPropertyPage : public CDialog
{
	DECLARE_DYNAMIC(CPropertyPage)
public:
	explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0, DWORD dwSize = sizeof(PROPSHEETPAGE));
	void Construct(UINT nIDTemplate, UINT nIDCaption = 0);

	virtual BOOL OnSetActive();
	virtual BOOL OnKillActive();
	virtual BOOL OnApply();
	void OnOK() override;
	void OnCancel() override;

	PROPSHEETPAGE m_psp;

protected:
	BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

	CString m_strCaption;
	BOOL m_bFirstSetActive;
};

class CPropertySheet : public CWnd
{
	DECLARE_DYNAMIC(CPropertySheet)
public:
	explicit CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);

	void AddPage(CPropertyPage* pPage);
	CPropertyPage* GetActivePage() const;
	BOOL SetActivePage(int nPage);

	virtual INT_PTR DoModal();
	virtual BOOL Create(CWnd* pParentWnd = NULL, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);
	BOOL ContinueModal() override;
	BOOL PreTranslateMessage(MSG* pMsg) override;

	PROPSHEETHEADER m_psh;

protected:
	void BuildPropPageArray();

	std::vector<CPropertyPage*> m_pages;
	std::vector<PROPSHEETPAGE> m_aPsp;
	CString m_strCaption;
	CWnd* m_pParentWnd;
};
