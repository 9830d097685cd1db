#include "RecordingHostWnd.h"

std::vector<UINT> CRecordingHostWnd::Messages() const
{
	std::vector<UINT> messages;
	for (const CHostCall& call : m_calls)
		messages.push_back(call.nMsg);
	return messages;
}

LRESULT CRecordingHostWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
	if (message >= WM_APP && message < 0xC000)
		m_calls.push_back({ message, wParam, lParam, ::GetCursor() == ::LoadCursor(NULL, IDC_WAIT) });
	LRESULT lResult = CHostWnd::WindowProc(message, wParam, lParam);
	if (message == HM_QUERYSTATUS && m_bOverrideMagic)
		reinterpret_cast<CARTSTATUS*>(wParam)->dwTrovesaveMagic = m_dwMagic;
	return lResult;
}
