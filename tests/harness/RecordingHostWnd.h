// A host window that records every host message it receives before answering it.
#pragma once

#include "host/HostWnd.h"
#include <algorithm>
#include <optional>
#include <vector>

struct CHostCall
{
	UINT nMsg;
	WPARAM wParam;
	LPARAM lParam;
	bool bWaitCursor; // the wait cursor was up while the host worked
	std::vector<BYTE> tail; // of a write: the 256 bytes of the image past the position
};

class CRecordingHostWnd : public CHostWnd
{
public:
	using CHostWnd::CHostWnd;

	std::vector<UINT> Messages() const
	{
		std::vector<UINT> messages;
		for (const CHostCall& call : m_calls)
			messages.push_back(call.nMsg);
		return messages;
	}

	std::vector<CHostCall> m_calls;
	std::optional<DWORD> m_dwMagic;  // when set, replaces the magic field of every status the host fills
	BYTE m_bTailFill = 0;  // when not 0, a read also fills the 256 bytes of the image past the position
	bool m_bWideFlags = false;  // when set, the flags of every status the host fills are 2 or 0x10000, not 1

protected:
	LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
	{
		const BYTE* pTail = (const BYTE*)wParam + SAVE_POSITION_SIZE;
		if (message >= WM_APP && message < 0xC000)
			m_calls.push_back({ message, wParam, lParam, ::GetCursor() == ::LoadCursor(NULL, IDC_WAIT),
				message == HM_WRITESAVE ? std::vector<BYTE>(pTail, pTail + 256) : std::vector<BYTE>() });
		LRESULT lResult = CHostWnd::WindowProc(message, wParam, lParam);
		if (message == HM_READSAVE && m_bTailFill != 0)
			std::fill((BYTE*)pTail, (BYTE*)pTail + 256, m_bTailFill);
		CARTSTATUS* pStatus = message == HM_QUERYSTATUS && m_bWideFlags ? (CARTSTATUS*)wParam : NULL;
		if (pStatus != NULL)
			pStatus->bLinkReady *= 2, pStatus->bCartPresent *= 2, pStatus->dwMultiPosition <<= 16, pStatus->dwBlocked <<= 16;
		if (message == HM_QUERYSTATUS && m_dwMagic)
			reinterpret_cast<CARTSTATUS*>(wParam)->dwTrovesaveMagic = *m_dwMagic;
		return lResult;
	}
};
