// Handle maps: the window objects of handles, permanent and temporary.
#include "afximpl.h"

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd)
{
	auto& map = AfxGetThreadState()->m_permanentMap;
	auto it = map.find(hWnd);
	return it == map.end() ? NULL : it->second;
}

// Windows without an object get a temporary one, deleted at the next idle time.
CWnd* PASCAL CWnd::FromHandle(HWND hWnd)
{
	if (hWnd == NULL)
		return NULL;
	CWnd* pWnd = FromHandlePermanent(hWnd);
	if (pWnd != NULL)
		return pWnd;
	auto& temps = AfxGetThreadState()->m_temporaryMap;
	auto it = temps.find(hWnd);
	if (it != temps.end())
		return it->second;
	// As for other temporary objects: the window is wrapped once the map holds the object.
	std::unique_ptr<CWnd> pTemp(new CWnd);
	temps[hWnd] = pTemp.get();
	pTemp->m_hWnd = hWnd;
	return pTemp.release();
}

void AFXAPI AfxUnlockTempMaps()
{
	_AFX_THREAD_STATE* pThreadState = AfxGetThreadState();
	for (auto& entry : pThreadState->m_temporaryMap)
	{
		entry.second->m_hWnd = NULL;
		delete entry.second;
	}
	pThreadState->m_temporaryMap.clear();
	// Temporary GDI objects wrap handles that belong to someone else: detach, never delete.
	for (auto& entry : pThreadState->m_temporaryGdiMap)
	{
		entry.second->Detach();
		delete entry.second;
	}
	pThreadState->m_temporaryGdiMap.clear();
	for (auto& entry : pThreadState->m_temporaryDCMap)
	{
		entry.second->Detach();
		delete entry.second;
	}
	pThreadState->m_temporaryDCMap.clear();
}
