// A simulated cartridge in use: its file, its backups, verification and the fault switches.
// Other programs may change the file at any time: every read and change locks it, reads it as it
// is now, decides, and writes it back before unlocking.
#pragma once

#include "BackupStore.h"
#include "Cartridge.h"
#include "CartridgeLock.h"
#include <functional>
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
	BOOL StartAnew(LPCTSTR lpszPath, CString& strReport);
	BOOL Refresh(CString& strError);
	BOOL Change(const std::function<void(CCartridge&)>& fnChange, CString& strError);
	BOOL ListBackups(std::vector<CBackup>& backups, CString& strError);

	void FillStatus(CARTSTATUS& status);
	void PrepareTransfer();
	BOOL IsTransferPending() const { return m_bTransferPending; }
	BOOL ReadPosition(int nPosition, BYTE* pBuffer, CString& strError);
	BOOL WritePositions(int nFirst, int nLast, const BYTE* pBytes, CString& strError);
	BOOL WritePosition(int nPosition, const BYTE* pBytes, CString& strError)
		{ return WritePositions(nPosition, nPosition, pBytes, strError); }
	BOOL WriteFromFile(int nPosition, LPCTSTR lpszFile, CString& strError);
	BOOL IsFileOfCartridge(LPCTSTR lpszPath) const;

	CCartridge& GetCartridge() { return m_cartridge; }
	const CString& GetPath() const { return m_strPath; }
	BOOL IsDamaged() const { return m_bDamaged; }

	CFaultSwitches m_faults;

private:
	BOOL Adopt(const CString& strPath, const CCartridge& cartridge, BOOL bDamaged);
	BOOL BeginChange(CCartridgeLock& lock, CString& strError);
	BOOL BeginTransfer(CCartridgeLock& lock, CString& strError);
	BOOL ListLocked(std::vector<CBackup>& backups, CString& strError) const;
	BOOL Save(const CCartridge& cartridge, CString& strError);
	BOOL WriteLocked(int nFirst, int nLast, const BYTE* pBytes, CString& strError);
	BOOL ReadBack(int nFirst, int nLast, const BYTE* pBytes, CString& strError);
	BOOL IsNameOfCartridge(LPCTSTR lpszPath) const;

	CCartridge m_cartridge;
	CString m_strPath;
	std::unique_ptr<CBackupStore> m_pBackups;
	BOOL m_bTransferPending;
	BOOL m_bUnavailable;  // the file could not be read when last asked: there is no cartridge to use
	BOOL m_bDamaged;      // it was read, and is not a sound cartridge
};
