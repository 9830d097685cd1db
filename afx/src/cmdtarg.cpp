// Command targets: message maps and the search through them for commands.
#include "afximpl.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

CCmdTarget::CCmdTarget() : m_pModuleState(AfxGetModuleState()) {}

const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap()
{
	static const AFX_MSGMAP_ENTRY _messageEntries[] = { { 0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0 } };
	static const AFX_MSGMAP messageMap = { NULL, &_messageEntries[0] };
	return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
	return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* AFXAPI AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry,
	UINT nMsg, UINT nCode, UINT nID)
{
	for (; lpEntry->nSig != AfxSig_end; ++lpEntry)
	{
		if (lpEntry->nMessage == nMsg && lpEntry->nCode == nCode &&
			nID >= lpEntry->nID && nID <= lpEntry->nLastID)
			return lpEntry;
	}
	return NULL;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void*, void*)
{
	for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != NULL;
		pMap = pMap->pfnGetBaseMap == NULL ? NULL : (*pMap->pfnGetBaseMap)())
	{
		const AFX_MSGMAP_ENTRY* lpEntry = AfxFindMessageEntry(pMap->lpEntries, WM_COMMAND, (UINT)nCode, nID);
		if (lpEntry != NULL)
		{
			(this->*lpEntry->pfn)();
			return TRUE;
		}
	}
	return FALSE;
}
