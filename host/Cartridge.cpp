#include "Cartridge.h"
#include <cstdio>
#include <cstring>

CCartridge::CCartridge()
	: m_bLinkReady(TRUE), m_bPresent(TRUE), m_bMultiPosition(TRUE), m_bBlocked(FALSE),
	  m_bTrovesave(FALSE), m_dwCartId(1), m_abSaveRam(SAVE_POSITION_SIZE * SAVE_POSITION_COUNT)
{
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		FillDemoPosition(nPosition, &m_abSaveRam[nPosition * SAVE_POSITION_SIZE]);
}

// A title that names the position, then a pattern that differs in every position.
void CCartridge::FillDemoPosition(int nPosition, BYTE* pBuffer)
{
	for (UINT i = 0; i < SAVE_POSITION_SIZE; ++i)
		pBuffer[i] = (BYTE)(i * (2 * nPosition + 1) + nPosition * 0x40 + (i >> 8));
	char szTitle[32];
	int nLen = std::snprintf(szTitle, sizeof(szTitle), "DEMO SAVE POSITION %d", nPosition + 1);
	std::memcpy(pBuffer, szTitle, nLen);
}

void CCartridge::FillStatus(CARTSTATUS& status) const
{
	std::memset(&status, 0, sizeof(status));
	status.bLinkReady = m_bLinkReady ? 1 : 0;
	status.bCartPresent = m_bPresent ? 1 : 0;
	status.dwMultiPosition = m_bMultiPosition ? 1 : 0;
	status.dwBlocked = m_bBlocked ? 1 : 0;
	status.dwCartId = m_dwCartId;
	status.dwTrovesaveMagic = m_bTrovesave ? TROVESAVE_MAGIC : 0;
}

BOOL CCartridge::IsValidPosition(int nPosition)
{
	return nPosition >= 0 && nPosition < SAVE_POSITION_COUNT;
}

const BYTE* CCartridge::GetPosition(int nPosition) const
{
	return &m_abSaveRam[nPosition * SAVE_POSITION_SIZE];
}

BOOL CCartridge::ReadPosition(int nPosition, BYTE* pBuffer) const
{
	if (!IsValidPosition(nPosition))
		return FALSE;
	std::memcpy(pBuffer, GetPosition(nPosition), SAVE_POSITION_SIZE);
	return TRUE;
}

BOOL CCartridge::WritePosition(int nPosition, const BYTE* pBuffer)
{
	if (!IsValidPosition(nPosition))
		return FALSE;
	std::memcpy(&m_abSaveRam[nPosition * SAVE_POSITION_SIZE], pBuffer, SAVE_POSITION_SIZE);
	return TRUE;
}

// All four positions at once, position 1 first.
void CCartridge::SetSaveRam(const BYTE* pSaveRam)
{
	std::memcpy(m_abSaveRam.data(), pSaveRam, m_abSaveRam.size());
}
