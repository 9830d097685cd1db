// Internal state of the runtime, shared by its source files only.
#pragma once

#include "../afxwin.h"
#include "../afxpriv.h"
#include <memory>
#include <new>
#include <unordered_map>

// Per-thread state: the current module, the window-creation hook and the handle maps.
struct _AFX_THREAD_STATE
{
	AFX_MODULE_STATE* m_pModuleState = NULL;
	CWnd* m_pWndInit = NULL;
	HHOOK m_hHookOldCbtFilter = NULL;
	MSG m_lastSentMsg = {};
	BOOL m_bOleInitialized = FALSE;
	std::unordered_map<HWND, CWnd*> m_permanentMap;
	std::unordered_map<HWND, CWnd*> m_temporaryMap;
	std::unordered_map<HGDIOBJ, CGdiObject*> m_temporaryGdiMap;
	std::unordered_map<HDC, CDC*> m_temporaryDCMap;

	~_AFX_THREAD_STATE();
};

_AFX_THREAD_STATE* AFXAPI AfxGetThreadState();

// Enables a window again when the holder goes, however its scope ends: the owner that a modal
// window disabled.
class CReenableOnExit
{
public:
	explicit CReenableOnExit(HWND hWnd) : m_hWnd(hWnd) {}
	~CReenableOnExit()
	{
		if (m_hWnd != NULL)
			::EnableWindow(m_hWnd, TRUE);
	}
	CReenableOnExit(const CReenableOnExit&) = delete;
	CReenableOnExit& operator=(const CReenableOnExit&) = delete;

private:
	HWND m_hWnd;
};

// Destroys a window object's window when the holder goes, however its scope ends.
class CDestroyOnExit
{
public:
	explicit CDestroyOnExit(CWnd* pWnd) : m_pWnd(pWnd) {}
	~CDestroyOnExit() { m_pWnd->DestroyWindow(); }
	CDestroyOnExit(const CDestroyOnExit&) = delete;
	CDestroyOnExit& operator=(const CDestroyOnExit&) = delete;

private:
	CWnd* m_pWnd;
};

// The entry of a message map for a message, notification code and identifier, or NULL.
const AFX_MSGMAP_ENTRY* AFXAPI AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID);

// The preallocated memory exception: reporting a failed allocation needs no memory.
CMemoryException* AFXAPI AfxGetMemoryException();
// The application handles what a handler let escape; without one, as a thread would.
LRESULT AFXAPI AfxProcessWndProcException(CException* e, const MSG* pMsg);

// The temporary object wrapping a handle that has no object of its own: made on first use,
// released at the next idle time (AfxUnlockTempMaps). TObject attaches the handle with Attach.
template <class TObject, class THandle>
TObject* AfxTemporaryObject(std::unordered_map<THandle, TObject*>& temps, THandle hHandle)
{
	if (hHandle == NULL)
		return NULL;
	auto it = temps.find(hHandle);
	if (it != temps.end())
		return it->second;
	// The handle is attached once the map holds the object: a failed insertion deletes an object
	// that owns nothing.
	std::unique_ptr<TObject> pObject(new TObject);
	temps[hHandle] = pObject.get();
	pObject->Attach(hHandle);
	return pObject.release();
}
