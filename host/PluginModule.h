// One plug-in module loaded by the host, checked for its exports and compile version.
#pragma once

#include <afxdlgs.h>
#include "../plugin/TavPropertyPage.h"

class CPluginModule
{
public:
	CPluginModule();

	BOOL Load(LPCTSTR lpszPath, CString& strError);
	CPropertyPage* CreatePage(CWnd* pHostWnd, CString& strError);
	LRESULT ReceiveMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) const
		{ return m_pfnReceiveMessage(nMsg, wParam, lParam); }
	UINT GetCompileVersion() const { return m_pfnGetCompileVersion(); }
	HMODULE GetModule() const { return m_hModule; }

private:
	CString m_strPath;
	HMODULE m_hModule;
	PFN_GETPROPERTYPAGE m_pfnGetPropertyPage;
	PFN_RECEIVEMESSAGE m_pfnReceiveMessage;
	PFN_GETCOMPILEVERSION m_pfnGetCompileVersion;
};
