#include "CartridgeSession.h"
#include "CartridgeFile.h"
#include <vector>

CCartridgeSession::CCartridgeSession() : m_bTransferPending(FALSE), m_bUnavailable(FALSE) {}

// An existing file must be an intact cartridge; a missing one may become the demo cartridge.
BOOL CCartridgeSession::Open(LPCTSTR lpszPath, BOOL bCreateDemo, CString& strError)
{
	if (!bCreateDemo && ::GetFileAttributes(lpszPath) == INVALID_FILE_ATTRIBUTES)
	{
		strError.Format(_T("%s: no such cartridge file."), lpszPath);
		return FALSE;
	}
	CCartridgeLock lock;
	CCartridge cartridge;
	if (!lock.Acquire(lpszPath, strError))
		return FALSE;
	if (::GetFileAttributes(lpszPath) == INVALID_FILE_ATTRIBUTES ? !CCartridgeFile::Save(lpszPath, cartridge, strError)
		: !CCartridgeFile::Load(lpszPath, cartridge, strError))
		return FALSE;
	m_cartridge = cartridge;
	m_strPath = lpszPath;
	m_pBackups.reset(new CBackupStore(lpszPath));
	m_bUnavailable = FALSE;
	return TRUE;
}

// The cartridge as its file holds it now.
BOOL CCartridgeSession::Refresh(CString& strError)
{
	CCartridgeLock lock;
	return BeginChange(lock, strError);
}

BOOL CCartridgeSession::Change(const std::function<void(CCartridge&)>& fnChange, CString& strError)
{
	CCartridgeLock lock;
	if (!BeginChange(lock, strError))
		return FALSE;
	fnChange(m_cartridge);
	return Save(strError);
}

// Locks the file and reads it: what this program holds may be older than what another wrote.
BOOL CCartridgeSession::BeginChange(CCartridgeLock& lock, CString& strError)
{
	if (m_strPath.IsEmpty())
		return TRUE;
	m_bUnavailable = !lock.Acquire(m_strPath, strError) || !Load(strError);
	return !m_bUnavailable;
}

BOOL CCartridgeSession::Load(CString& strError)
{
	CCartridge cartridge;
	if (!CCartridgeFile::Load(m_strPath, cartridge, strError))
		return FALSE;
	m_cartridge = cartridge;
	return TRUE;
}

BOOL CCartridgeSession::Save(CString& strError)
{
	return m_strPath.IsEmpty() || CCartridgeFile::Save(m_strPath, m_cartridge, strError);
}

void CCartridgeSession::PrepareTransfer()
{
	m_bTransferPending = TRUE;
}

void CCartridgeSession::FillStatus(CARTSTATUS& status)
{
	m_cartridge.FillStatus(status);
	if (m_bUnavailable)
		status.bCartPresent = 0;
	if (m_faults.bLinkDropped)
		status.bLinkReady = 0;
	if (m_faults.bBlocked)
		status.dwBlocked = 1;
	if (m_bTransferPending && m_faults.bNoCartridgeNextTransfer)
	{
		status.bCartPresent = 0;
		m_faults.bNoCartridgeNextTransfer = FALSE;
	}
	m_bTransferPending = FALSE;
}

BOOL CCartridgeSession::ReadPosition(int nPosition, BYTE* pBuffer) const
{
	return !m_bUnavailable && m_cartridge.ReadPosition(nPosition, pBuffer);
}

// Backed up first, then written, read back and compared, then the file is saved.
BOOL CCartridgeSession::WritePosition(int nPosition, const BYTE* pBytes, CString& strError)
{
	CCartridgeLock lock;
	if (!BeginChange(lock, strError))
		return FALSE;
	if (!CCartridge::IsValidPosition(nPosition) || !m_cartridge.m_bPresent)
	{
		strError.Format(_T("Position %d cannot be written: no cartridge or no such position."), nPosition + 1);
		return FALSE;
	}
	if (m_pBackups && !m_pBackups->Keep(nPosition, m_cartridge.GetPosition(nPosition), strError))
		return FALSE;

	std::vector<BYTE> written(pBytes, pBytes + SAVE_POSITION_SIZE);
	if (m_faults.bFlipBitNextWrite)
	{
		written[SAVE_POSITION_SIZE / 2] ^= 0x10;
		m_faults.bFlipBitNextWrite = FALSE;
	}
	m_cartridge.WritePosition(nPosition, written.data());

	std::vector<BYTE> readBack(SAVE_POSITION_SIZE);
	m_cartridge.ReadPosition(nPosition, readBack.data());
	UINT nDiffering = 0;
	CString strOffsets;
	for (UINT i = 0; i < SAVE_POSITION_SIZE; ++i)
	{
		if (readBack[i] == pBytes[i])
			continue;
		if (++nDiffering <= 4)
		{
			CString strOffset;
			strOffset.Format(nDiffering == 1 ? _T("0x%04X") : _T(", 0x%04X"), i);
			strOffsets += strOffset;
		}
	}
	BOOL bSaved = Save(strError);
	if (nDiffering != 0)
	{
		strError.Format(_T("Position %d did not verify after writing: %u differing bytes, first at %s."),
			nPosition + 1, nDiffering, (LPCTSTR)strOffsets);
		return FALSE;
	}
	return bSaved;
}

BOOL CCartridgeSession::Restore(const CBackup& backup, CString& strError)
{
	std::vector<BYTE> bytes(SAVE_POSITION_SIZE);
	return CBackupStore::Read(backup, bytes.data(), strError) &&
		WritePosition(backup.nPosition, bytes.data(), strError);
}
