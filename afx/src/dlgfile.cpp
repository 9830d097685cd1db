#include "afximpl.h"
#include "../afxdlgs.h"
#include <cstring>

IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)
IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)

CCommonDialog::CCommonDialog(CWnd* pParentWnd) : CDialog(0U, pParentWnd)
{
	m_lpszTemplateName = NULL;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
	LPCTSTR lpszFilter, CWnd* pParentWnd, DWORD, BOOL)
	: CCommonDialog(pParentWnd), m_ofn(), m_bOpenFileDialog(bOpenFileDialog),
	  m_strDefExt(lpszDefExt), m_strFilter(lpszFilter), m_szFileName()
{
	m_ofn.lStructSize = sizeof(m_ofn);
	m_ofn.lpstrFile = m_szFileName;
	m_ofn.nMaxFile = _countof(m_szFileName);
	m_ofn.Flags = dwFlags | OFN_EXPLORER;
	// An empty default extension is not the same as none: keep the pointer.
	m_ofn.lpstrDefExt = lpszDefExt != NULL ? (LPCTSTR)m_strDefExt : NULL;
	if (lpszFileName != NULL)
	{
		std::strncpy(m_szFileName, lpszFileName, _countof(m_szFileName) - 1);
	}
	// "Name|pattern|...||" becomes the double-NUL-terminated list the system wants.
	if (lpszFilter != NULL)
	{
		LPTSTR pch = m_strFilter.GetBuffer(0);
		for (; *pch != '\0'; ++pch)
			if (*pch == '|')
				*pch = '\0';
		m_ofn.lpstrFilter = m_strFilter;
	}
}

INT_PTR CFileDialog::DoModal()
{
	HWND hWndTop = NULL;
	m_ofn.hwndOwner = CWnd::GetSafeOwner_(AfxHandleOf(m_pParentWnd, &CWnd::m_hWnd), &hWndTop);
	CReenableOnExit top(hWndTop);
	m_szFileName[_countof(m_szFileName) - 1] = '\0';
	return (m_bOpenFileDialog ? ::GetOpenFileName(&m_ofn) : ::GetSaveFileName(&m_ofn)) ? IDOK : IDCANCEL;
}
