// Internal state of the runtime, shared by its source files only.
#pragma once

#include "../afxwin.h"
#include <unordered_map>

// Per-thread state: the current module, the window-creation hook and the handle maps.
struct _AFX_THREAD_STATE
{
	AFX_MODULE_STATE* m_pModuleState = NULL;
	CWnd* m_pWndInit = NULL;
	HHOOK m_hHookOldCbtFilter = NULL;
	MSG m_lastSentMsg = {};
	std::unordered_map<HWND, CWnd*> m_permanentMap;
	std::unordered_map<HWND, CWnd*> m_temporaryMap;
	std::unordered_map<HGDIOBJ, CGdiObject*> m_temporaryGdiMap;
	std::unordered_map<HDC, CDC*> m_temporaryDCMap;

	~_AFX_THREAD_STATE();
};

_AFX_THREAD_STATE* AFXAPI AfxGetThreadState();
