#include "RecordingHostWnd.h"
#include <algorithm>

std::vector<UINT> CRecordingHostWnd::Messages() const
{
	std::vector<UINT> messages;
	for (const CHostCall& call : m_calls)
		messages.push_back(call.nMsg);
	return messages;
}

LRESULT CRecordingHostWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
	const BYTE* pTail = (const BYTE*)wParam + SAVE_POSITION_SIZE;
	if (message >= WM_APP && message < 0xC000)
		m_calls.push_back({ message, wParam, lParam, ::GetCursor() == ::LoadCursor(NULL, IDC_WAIT),
			message == HM_WRITESAVE ? std::vector<BYTE>(pTail, pTail + 256) : std::vector<BYTE>() });
	LRESULT lResult = CHostWnd::WindowProc(message, wParam, lParam);
	if (message == HM_READSAVE && m_bTailFill != 0)
		std::fill((BYTE*)pTail, (BYTE*)pTail + 256, m_bTailFill);
	if (message == HM_QUERYSTATUS && m_bOverrideMagic)
		reinterpret_cast<CARTSTATUS*>(wParam)->dwTrovesaveMagic = m_dwMagic;
	return lResult;
}
