// A simulated cartridge: four save positions and the status the host reports for it.
#pragma once

#include <afxwin.h>
#include <vector>
#include "../plugin/HostMessages.h"

class CCartridge
{
public:
	CCartridge();

	void FillStatus(CARTSTATUS& status) const;
	BOOL ReadPosition(int nPosition, BYTE* pBuffer) const;
	BOOL WritePosition(int nPosition, const BYTE* pBuffer);
	const BYTE* GetPosition(int nPosition) const;
	static BOOL IsValidPosition(int nPosition);
	static void FillDemoPosition(int nPosition, BYTE* pBuffer);
	void SetSaveRam(const BYTE* pSaveRam);

	BOOL m_bLinkReady;
	BOOL m_bPresent;
	BOOL m_bMultiPosition;
	BOOL m_bBlocked;
	BOOL m_bTrovesave;
	DWORD m_dwCartId;

private:
	std::vector<BYTE> m_abSaveRam;
};
