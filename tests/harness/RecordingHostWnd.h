// A host window that records every host message it receives before answering it.
#pragma once

#include "host/HostWnd.h"
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

	std::vector<UINT> Messages() const;

	std::vector<CHostCall> m_calls;
	// When set, replaces the magic field of every status record the host fills.
	bool m_bOverrideMagic = false;
	DWORD m_dwMagic = 0;
	// When not 0, a read also fills the 256 bytes of the image past the position.
	BYTE m_bTailFill = 0;

protected:
	LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
