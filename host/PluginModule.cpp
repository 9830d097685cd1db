#include "PluginModule.h"

CPluginModule::CPluginModule()
	: m_hModule(NULL), m_pfnGetPropertyPage(NULL), m_pfnReceiveMessage(NULL), m_pfnGetCompileVersion(NULL)
{
}

// A module stays loaded for the life of the process once it has given a page: its pages may outlive
// any of our objects.
BOOL CPluginModule::Load(LPCTSTR lpszPath, CString& strError)
{
	HMODULE hModule = ::LoadLibrary(lpszPath);
	if (hModule == NULL)
	{
		strError.Format(_T("%s: the module could not be loaded (error %lu)."), lpszPath, ::GetLastError());
		return FALSE;
	}
	m_pfnGetPropertyPage = (PFN_GETPROPERTYPAGE)(void*)::GetProcAddress(hModule, "GetPropertyPage");
	m_pfnReceiveMessage = (PFN_RECEIVEMESSAGE)(void*)::GetProcAddress(hModule, "ReceiveMessage");
	m_pfnGetCompileVersion = (PFN_GETCOMPILEVERSION)(void*)::GetProcAddress(hModule, "GetCompileVersion");
	if (m_pfnGetPropertyPage == NULL || m_pfnReceiveMessage == NULL || m_pfnGetCompileVersion == NULL)
	{
		strError.Format(_T("%s: not a plug-in; it lacks GetPropertyPage, ReceiveMessage or GetCompileVersion."),
			lpszPath);
		::FreeLibrary(hModule);
		return FALSE;
	}
	UINT nVersion = m_pfnGetCompileVersion();
	if (nVersion != MENDLE_COMPILE_VERSION)
	{
		strError.Format(_T("%s: built for host version %u; this host needs version %u."), lpszPath, nVersion,
			MENDLE_COMPILE_VERSION);
		::FreeLibrary(hModule);
		return FALSE;
	}
	m_hModule = hModule;
	m_strPath = lpszPath;
	return TRUE;
}

// A module that gives no page is unloaded: nothing of it is called again.
CPropertyPage* CPluginModule::CreatePage(CWnd* pHostWnd, CString& strError)
{
	CPropertyPage* pPage = m_hModule != NULL ? m_pfnGetPropertyPage(pHostWnd) : NULL;
	if (pPage == NULL && m_hModule != NULL)
	{
		strError.Format(_T("%s: the module gave no page; it was unloaded."), (LPCTSTR)m_strPath);
		::FreeLibrary(m_hModule);
		m_hModule = NULL;
	}
	return pPage;
}
