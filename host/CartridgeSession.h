// A simulated cartridge in use: its file, its backups, verification and the fault switches.
#pragma once

#include "BackupStore.h"
#include "Cartridge.h"
#include <memory>

struct CFaultSwitches
{
	BOOL bNoCartridgeNextTransfer = FALSE; // the next transfer's status query finds no cartridge
	BOOL bLinkDropped = FALSE;             // the link is not ready
	BOOL bBlocked = FALSE;                 // the cartridge reports itself blocked
	BOOL bFlipBitNextWrite = FALSE;        // the next write stores one bit wrong
};

class CCartridgeSession
{
public:
	CCartridgeSession();

	BOOL Open(LPCTSTR lpszPath, BOOL bCreateDemo, CString& strError);
	BOOL Save(CString& strError);

	void FillStatus(CARTSTATUS& status);
	void PrepareTransfer();
	BOOL ReadPosition(int nPosition, BYTE* pBuffer) const;
	BOOL WritePosition(int nPosition, const BYTE* pBytes, CString& strError);
	BOOL Restore(const CBackup& backup, CString& strError);

	CCartridge& GetCartridge() { return m_cartridge; }
	const CString& GetPath() const { return m_strPath; }
	CBackupStore* GetBackups() { return m_pBackups.get(); }

	CFaultSwitches m_faults;

private:
	CCartridge m_cartridge;
	CString m_strPath;
	std::unique_ptr<CBackupStore> m_pBackups;
	BOOL m_bTransferPending;
};
