#include "CartridgeSession.h"
#include "CartridgeFile.h"
#include <utility>
#include <vector>

CCartridgeSession::CCartridgeSession() : m_bTransferPending(FALSE), m_bUnavailable(FALSE), m_bDamaged(FALSE) {}

// The full path, once: a file dialog may change the current folder later.
static BOOL FullPath(LPCTSTR lpszPath, CString& strPath, CString& strError)
{
	TCHAR szFull[MAX_PATH];
	const DWORD nLength = ::GetFullPathName(lpszPath, MAX_PATH, szFull, NULL);
	if (nLength == 0 || nLength >= MAX_PATH)
	{
		strError.Format(_T("%s: not a usable file name."), lpszPath);
		return FALSE;
	}
	strPath = szFull;
	return TRUE;
}

static BOOL FileExists(LPCTSTR lpszPath)
{
	return ::GetFileAttributes(lpszPath) != INVALID_FILE_ATTRIBUTES;
}

// An existing file must be an intact cartridge; a missing one may become the demo cartridge. A
// damaged one is named by the session, which then has no cartridge, so that it can be recovered.
BOOL CCartridgeSession::Open(LPCTSTR lpszPath, BOOL bCreateDemo, CString& strError)
{
	CString strPath;
	if (!FullPath(lpszPath, strPath, strError))
		return FALSE;
	if (!bCreateDemo && !FileExists(strPath))
	{
		strError.Format(_T("%s: no such cartridge file."), (LPCTSTR)strPath);
		return FALSE;
	}
	CCartridgeLock lock;
	CCartridge cartridge;
	BOOL bDamaged = FALSE;
	if (!lock.Acquire(strPath, strError))
		return FALSE;
	if (FileExists(strPath) ? CCartridgeFile::Load(strPath, cartridge, strError, &bDamaged)
		: CCartridgeFile::Save(strPath, cartridge, strError))
		return Adopt(strPath, cartridge, FALSE);
	if (bDamaged)
		Adopt(strPath, cartridge, TRUE);
	return FALSE;
}

BOOL CCartridgeSession::Adopt(const CString& strPath, const CCartridge& cartridge, BOOL bDamaged)
{
	m_cartridge = cartridge;
	m_strPath = strPath;
	m_pBackups.reset(new CBackupStore(strPath));
	m_bUnavailable = m_bDamaged = bDamaged;
	return !bDamaged;
}

// A damaged file goes aside, never away: to "<file>.damaged", or the first free "<file>.damaged.N".
static BOOL MoveAside(const CString& strPath, CString& strAside, CString& strError)
{
	DWORD dwError = ERROR_ALREADY_EXISTS;
	for (int nNumber = 1; nNumber <= 1000 && (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS); ++nNumber)
	{
		strAside.Format(nNumber == 1 ? _T("%s.damaged") : _T("%s.damaged.%d"), (LPCTSTR)strPath, nNumber);
		if (::MoveFileEx(strPath, strAside, MOVEFILE_WRITE_THROUGH))
			return TRUE;
		dwError = ::GetLastError();
	}
	strError.Format(_T("%s cannot be moved aside (error %lu); nothing was changed."), (LPCTSTR)strPath, dwError);
	return FALSE;
}

// A damaged cartridge is moved aside and a new one takes its name; a sound one is left as it is.
BOOL CCartridgeSession::StartAnew(LPCTSTR lpszPath, CString& strReport)
{
	CString strPath, strDamage, strAside;
	CCartridgeLock lock;
	CCartridge cartridge;
	BOOL bDamaged = FALSE;
	if (!FullPath(lpszPath, strPath, strReport) || !lock.Acquire(strPath, strReport))
		return FALSE;
	if (FileExists(strPath) && CCartridgeFile::Load(strPath, cartridge, strDamage, &bDamaged))
	{
		strReport.Format(_T("%s is a sound cartridge; nothing was changed."), (LPCTSTR)strPath);
		return Adopt(strPath, cartridge, FALSE);
	}
	if (FileExists(strPath) && !(bDamaged && MoveAside(strPath, strAside, strDamage)))
	{
		strReport = strDamage;
		return FALSE;
	}
	if (!CCartridgeFile::Save(strPath, cartridge, strReport))
	{
		if (bDamaged)
			::MoveFileEx(strAside, strPath, MOVEFILE_WRITE_THROUGH);
		return FALSE;
	}
	if (bDamaged)
		strReport.Format(_T("%s It was moved to %s, and a new cartridge was made in its place; its backups are kept in %s."),
			(LPCTSTR)strDamage, (LPCTSTR)strAside, (LPCTSTR)(strPath + _T(".backups")));
	else
		strReport.Format(_T("cartridge %s created"), (LPCTSTR)strPath);
	return Adopt(strPath, cartridge, FALSE);
}

// The cartridge as its file holds it now.
BOOL CCartridgeSession::Refresh(CString& strError)
{
	CCartridgeLock lock;
	return BeginChange(lock, strError);
}

// Only what was asked changes, in the file as it is now; a change that cannot be stored leaves the
// file, and what this session shows of it, as they were.
BOOL CCartridgeSession::Change(const std::function<void(CCartridge&)>& fnChange, CString& strError)
{
	CCartridgeLock lock;
	if (!BeginChange(lock, strError))
		return FALSE;
	CCartridge changed = m_cartridge;
	fnChange(changed);
	if (!Save(changed, strError))
		return FALSE;
	m_cartridge = changed;
	return TRUE;
}

// Locks the file and reads it: what this program holds may be older than what another wrote. A
// session that names no file has its cartridge in memory only.
BOOL CCartridgeSession::BeginChange(CCartridgeLock& lock, CString& strError)
{
	if (m_strPath.IsEmpty())
		return TRUE;
	CCartridge cartridge;
	m_bDamaged = FALSE;
	m_bUnavailable = !lock.Acquire(m_strPath, strError) ||
		!CCartridgeFile::Load(m_strPath, cartridge, strError, &m_bDamaged);
	if (!m_bUnavailable)
		m_cartridge = cartridge;
	return !m_bUnavailable;
}

BOOL CCartridgeSession::Save(const CCartridge& cartridge, CString& strError)
{
	return m_strPath.IsEmpty() || CCartridgeFile::Save(m_strPath, cartridge, strError);
}

void CCartridgeSession::PrepareTransfer()
{
	m_bTransferPending = TRUE;
}

// What the host reports: the file's switches with the fault switches over them.
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

// Decided on the file as the caller has just read it under the lock.
BOOL CCartridgeSession::CheckReady(CString& strError)
{
	CARTSTATUS status;
	FillStatus(status);
	LPCTSTR lpszReason = !status.bCartPresent ? _T("no cartridge detected") : !status.bLinkReady ?
		_T("the link to the cartridge is not ready") : status.dwBlocked ? _T("the cartridge is blocked") : NULL;
	if (lpszReason != NULL)
		strError.Format(_T("%s: %s."), (LPCTSTR)m_strPath, lpszReason);
	return lpszReason == NULL;
}

// The bytes the file holds at this moment.
BOOL CCartridgeSession::ReadPosition(int nPosition, BYTE* pBuffer, CString& strError)
{
	CCartridgeLock lock;
	if (!BeginChange(lock, strError) || !CheckReady(strError))
		return FALSE;
	return m_cartridge.ReadPosition(nPosition, pBuffer);
}

// Positions nFirst to nLast all take the same bytes, in one locked step: each position's previous
// bytes are backed up first, the file is replaced and read back, and the oldest backups go. Until
// the file is replaced, a failure takes back the backups it made, so nothing has changed.
BOOL CCartridgeSession::WritePositions(int nFirst, int nLast, const BYTE* pBytes, CString& strError)
{
	CCartridgeLock lock;
	if (!BeginChange(lock, strError) || !CheckReady(strError))
		return FALSE;
	if (!CCartridge::IsValidPosition(nFirst) || !CCartridge::IsValidPosition(nLast) || nFirst > nLast)
	{
		strError.Format(_T("%s: no such save position."), (LPCTSTR)m_strPath);
		return FALSE;
	}
	CCartridge written = m_cartridge;
	std::vector<CString> kept;
	BOOL bDone = TRUE;
	for (int nPosition = nFirst; nPosition <= nLast && bDone; ++nPosition)
	{
		CString strKept;
		bDone = m_pBackups == NULL || m_pBackups->Keep(nPosition, m_cartridge.GetPosition(nPosition), strKept, strError);
		kept.push_back(strKept);
		written.WritePosition(nPosition, pBytes);
	}
	if (bDone && m_faults.bFlipBitNextWrite)
	{
		std::vector<BYTE> flipped(pBytes, pBytes + SAVE_POSITION_SIZE);
		flipped[SAVE_POSITION_SIZE / 2] ^= 0x10;
		written.WritePosition(nFirst, flipped.data());
	}
	if (!bDone || !Save(written, strError))
	{
		for (const CString& strKept : kept)
			::DeleteFile(strKept);
		return FALSE;
	}
	m_faults.bFlipBitNextWrite = FALSE;
	m_cartridge = written;
	for (int nPosition = nFirst; nPosition <= nLast && m_pBackups != NULL; ++nPosition)
		m_pBackups->Prune(nPosition, kept[nPosition - nFirst]);
	return ReadBack(nFirst, nLast, pBytes, strError);
}

// The file read again, still under the lock, and compared with what was asked.
BOOL CCartridgeSession::ReadBack(int nFirst, int nLast, const BYTE* pBytes, CString& strError)
{
	if (!m_strPath.IsEmpty() && !CCartridgeFile::Load(m_strPath, m_cartridge, strError))
		return FALSE;
	for (int nPosition = nFirst; nPosition <= nLast; ++nPosition)
	{
		const BYTE* pStored = m_cartridge.GetPosition(nPosition);
		UINT nDiffering = 0;
		CString strOffsets;
		for (UINT i = 0; i < SAVE_POSITION_SIZE; ++i)
		{
			if (pStored[i] == pBytes[i])
				continue;
			if (++nDiffering <= 4)
			{
				CString strOffset;
				strOffset.Format(nDiffering == 1 ? _T("0x%04X") : _T(", 0x%04X"), i);
				strOffsets += strOffset;
			}
		}
		if (nDiffering != 0)
		{
			strError.Format(_T("Position %d did not verify after writing: %u differing bytes, first at %s. It holds "
				"what was read back; what it held before is its newest backup."), nPosition + 1, nDiffering,
				(LPCTSTR)strOffsets);
			return FALSE;
		}
	}
	return TRUE;
}

BOOL CCartridgeSession::Restore(const CBackup& backup, CString& strError)
{
	std::vector<BYTE> bytes(SAVE_POSITION_SIZE);
	return CBackupStore::Read(backup, bytes.data(), strError) &&
		WritePosition(backup.nPosition, bytes.data(), strError);
}

BOOL CCartridgeSession::RestoreNewest(int nPosition, CString& strError)
{
	const std::vector<CBackup> backups = m_pBackups != NULL ? m_pBackups->List() : std::vector<CBackup>();
	for (auto it = backups.rbegin(); it != backups.rend(); ++it)
		if (it->nPosition == nPosition)
			return Restore(*it, strError);
	strError.Format(_T("%s: position %d has no backup."), (LPCTSTR)m_strPath, nPosition + 1);
	return FALSE;
}

static BOOL GetIdentity(LPCTSTR lpszPath, BY_HANDLE_FILE_INFORMATION& info)
{
	HANDLE hFile = ::CreateFile(lpszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
		OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
	if (hFile == INVALID_HANDLE_VALUE)
		return FALSE;
	BOOL bKnown = ::GetFileInformationByHandle(hFile, &info);
	::CloseHandle(hFile);
	return bKnown;
}

// The cartridge file, its lock, its temporary files or one of its backups, by identity: another
// name for the same file counts too.
BOOL CCartridgeSession::IsFileOfCartridge(LPCTSTR lpszPath) const
{
	BY_HANDLE_FILE_INFORMATION target, info;
	if (m_strPath.IsEmpty() || !GetIdentity(lpszPath, target))
		return FALSE;
	auto Same = [&target, &info](LPCTSTR lpszOther) {
		return GetIdentity(lpszOther, info) && info.dwVolumeSerialNumber == target.dwVolumeSerialNumber &&
			info.nFileIndexHigh == target.nFileIndexHigh && info.nFileIndexLow == target.nFileIndexLow;
	};
	if (Same(m_strPath) || Same(m_strPath + _T(".lock")))
		return TRUE;
	LPCTSTR lpszCartridge = m_strPath, lpszName = _tcsrchr(lpszCartridge, '\\');
	const CString strFolder(lpszCartridge, (int)(lpszName - lpszCartridge) + 1), strBackups = m_strPath + _T(".backups\\");
	const std::pair<CString, CString> searches[] = { { strFolder, m_strPath + _T(".~*.new") }, { strBackups, strBackups + _T("*") } };
	BOOL bFound = FALSE;
	for (const auto& search : searches)
	{
		WIN32_FIND_DATA fd;
		HANDLE hFind = ::FindFirstFile(search.second, &fd);
		for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore && !bFound; bMore = ::FindNextFile(hFind, &fd))
			bFound = Same(search.first + fd.cFileName);
		if (hFind != INVALID_HANDLE_VALUE)
			::FindClose(hFind);
	}
	return bFound;
}
