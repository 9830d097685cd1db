#include "CartridgeSession.h"
#include "CartridgeFile.h"
#include <cstring>
#include <utility>
#include <vector>

CCartridgeSession::CCartridgeSession() : m_bTransferPending(FALSE), m_bUnavailable(FALSE), m_bDamaged(FALSE) {}

// The path the file system itself uses for an existing file or folder: through a symbolic link, the
// link's target, so that every name of one cartridge shares one lock, one backup folder and one file.
static BOOL FinalPath(const CString& strPath, CString& strFinal)
{
	HANDLE hFile = ::CreateFile(strPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
		FILE_FLAG_BACKUP_SEMANTICS, NULL);
	if (hFile == INVALID_HANDLE_VALUE)
		return FALSE;
	TCHAR szFinal[MAX_PATH];
	const DWORD nLength = ::GetFinalPathNameByHandle(hFile, szFinal, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
	::CloseHandle(hFile);
	if (nLength == 0 || nLength >= MAX_PATH)
		return FALSE;
	strFinal = std::strncmp(szFinal, "\\\\?\\", 4) == 0 ? szFinal + 4 : szFinal;
	return TRUE;
}

// The full path, once: a file dialog may change the current folder later. A file not made yet is
// named in its folder's final path.
static BOOL FullPath(LPCTSTR lpszPath, CString& strPath, CString& strError)
{
	TCHAR szFull[MAX_PATH];
	LPTSTR lpszName = NULL;
	const DWORD nLength = ::GetFullPathName(lpszPath, MAX_PATH, szFull, &lpszName);
	if (nLength == 0 || nLength >= MAX_PATH || lpszName == NULL)
	{
		strError.Format(_T("%s: not a usable file name."), lpszPath);
		return FALSE;
	}
	strPath = szFull;
	CString strFolder;
	if (!FinalPath(strPath, strPath) && FinalPath(CString(szFull, (int)(lpszName - szFull)), strFolder))
		strPath = strFolder + (_tcsrchr(strFolder, '\\')[1] == '\0' ? _T("") : _T("\\")) + lpszName;
	return TRUE;
}

static BOOL IsMissing(LPCTSTR lpszPath)
{
	return ::GetFileAttributes(lpszPath) == INVALID_FILE_ATTRIBUTES &&
		(::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND);
}

// An existing file must be an intact cartridge; a missing one may become the demo cartridge. A
// damaged one is named by the session, which then has no cartridge, so that it can be recovered.
BOOL CCartridgeSession::Open(LPCTSTR lpszPath, BOOL bCreateDemo, CString& strError)
{
	CString strPath;
	if (!FullPath(lpszPath, strPath, strError))
		return FALSE;
	if (!bCreateDemo && IsMissing(strPath))
	{
		strError.Format(_T("%s: no such cartridge file."), (LPCTSTR)strPath);
		return FALSE;
	}
	CCartridgeLock lock;
	CCartridge cartridge;
	if (!lock.Acquire(strPath, strError))
		return FALSE;
	const CCartridgeFile::LoadResult nResult = CCartridgeFile::Load(strPath, cartridge, strError);
	if (nResult == CCartridgeFile::loaded ||
		(nResult == CCartridgeFile::missing && bCreateDemo && CCartridgeFile::Save(strPath, cartridge, strError)))
		return Adopt(strPath, cartridge, FALSE);
	if (nResult == CCartridgeFile::damaged)
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

// A damaged cartridge is moved aside and a new one takes its name, with every part that the
// damaged file holds intact; a sound one is left as it is.
BOOL CCartridgeSession::StartAnew(LPCTSTR lpszPath, CString& strReport)
{
	CString strPath, strDamage, strAside;
	CCartridgeLock lock;
	CCartridge cartridge;
	UINT nIntact = 0;
	if (!FullPath(lpszPath, strPath, strReport) || !lock.Acquire(strPath, strReport))
		return FALSE;
	switch (CCartridgeFile::Load(strPath, cartridge, strDamage, &nIntact))
	{
	case CCartridgeFile::loaded:
		strReport.Format(_T("%s is a sound cartridge; nothing was changed."), (LPCTSTR)strPath);
		return Adopt(strPath, cartridge, FALSE);
	case CCartridgeFile::unreadable:
		strReport = strDamage;
		return FALSE;
	case CCartridgeFile::missing:
		if (!CCartridgeFile::Save(strPath, cartridge, strReport))
			return FALSE;
		strReport.Format(_T("cartridge %s created"), (LPCTSTR)strPath);
		return Adopt(strPath, cartridge, FALSE);
	case CCartridgeFile::damaged:
		break;
	}
	if (!MoveAside(strPath, strAside, strReport))
		return FALSE;
	if (!CCartridgeFile::Save(strPath, cartridge, strReport))
	{
		CString strWhere;
		strWhere.Format(::MoveFileEx(strAside, strPath, MOVEFILE_WRITE_THROUGH) ? _T(" The damaged cartridge is back "
			"in its place; nothing was changed.") : _T(" The damaged cartridge is now %s, and no cartridge is in its place."),
			(LPCTSTR)strAside);
		strReport += strWhere;
		return FALSE;
	}
	const UINT nLost = CCartridgeFile::INTACT_ALL & ~nIntact;
	strReport.Format(_T("%s It was moved to %s, and a new cartridge was made in its place. Carried over: %s. Not carried "
		"over: %s%s. Its backups are kept in %s."), (LPCTSTR)strDamage, (LPCTSTR)strAside,
		(LPCTSTR)CCartridgeFile::NameParts(nIntact), (LPCTSTR)CCartridgeFile::NameParts(nLost),
		(nLost & ~CCartridgeFile::INTACT_SWITCHES) != 0 ? _T("; its newest backup puts each back (--restore N, or Restore on the Cartridge page)") : _T(""),
		(LPCTSTR)(strPath + _T(".backups")));
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

BOOL CCartridgeSession::ListBackups(std::vector<CBackup>& backups, CString& strError)
{
	CCartridgeLock lock;
	backups.clear();
	return m_strPath.IsEmpty() || (lock.Acquire(m_strPath, strError) && ListLocked(backups, strError));
}

BOOL CCartridgeSession::ListLocked(std::vector<CBackup>& backups, CString& strError) const
{
	return m_pBackups == NULL || m_pBackups->List(backups, strError);
}

// Locks the file and reads it: what this program holds may be older than what another wrote. A
// session that names no file has its cartridge in memory only.
BOOL CCartridgeSession::BeginChange(CCartridgeLock& lock, CString& strError)
{
	if (m_strPath.IsEmpty())
		return TRUE;
	CCartridge cartridge;
	const BOOL bLocked = lock.Acquire(m_strPath, strError);
	const CCartridgeFile::LoadResult nResult = bLocked ? CCartridgeFile::Load(m_strPath, cartridge, strError)
		: CCartridgeFile::unreadable;
	m_bUnavailable = nResult != CCartridgeFile::loaded;
	m_bDamaged = nResult == CCartridgeFile::damaged;
	if (!m_bUnavailable)
		m_cartridge = cartridge;
	return !m_bUnavailable;
}

// Decided on the file as it has just been read under the lock.
BOOL CCartridgeSession::BeginTransfer(CCartridgeLock& lock, CString& strError)
{
	if (!BeginChange(lock, strError))
		return FALSE;
	CARTSTATUS status;
	FillStatus(status);
	LPCTSTR lpszReason = !status.bCartPresent ? _T("no cartridge detected") : !status.bLinkReady ?
		_T("the link to the cartridge is not ready") : status.dwBlocked ? _T("the cartridge is blocked") : NULL;
	if (lpszReason != NULL)
		strError.Format(_T("%s: %s."), (LPCTSTR)m_strPath, lpszReason);
	return lpszReason == NULL;
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

// The bytes the file holds at this moment.
BOOL CCartridgeSession::ReadPosition(int nPosition, BYTE* pBuffer, CString& strError)
{
	CCartridgeLock lock;
	return BeginTransfer(lock, strError) && m_cartridge.ReadPosition(nPosition, pBuffer);
}

BOOL CCartridgeSession::WritePositions(int nFirst, int nLast, const BYTE* pBytes, CString& strError)
{
	CCartridgeLock lock;
	return BeginTransfer(lock, strError) && WriteLocked(nFirst, nLast, pBytes, strError);
}

// A save file's bytes, or with no file the position's newest backup, chosen and read under the lock.
BOOL CCartridgeSession::WriteFromFile(int nPosition, LPCTSTR lpszFile, CString& strError)
{
	CCartridgeLock lock;
	std::vector<CBackup> backups;
	if (!BeginTransfer(lock, strError) || (lpszFile == NULL && !ListLocked(backups, strError)))
		return FALSE;
	CString strFile = lpszFile;
	for (auto it = backups.rbegin(); it != backups.rend() && strFile.IsEmpty(); ++it)
		strFile = it->nPosition == nPosition ? it->strPath : CString();
	if (strFile.IsEmpty())
	{
		strError.Format(_T("%s: position %d has no backup."), (LPCTSTR)m_strPath, nPosition + 1);
		return FALSE;
	}
	std::vector<BYTE> bytes(SAVE_POSITION_SIZE);
	return CCartridgeFile::ReadSave(strFile, bytes.data(), strError) && WriteLocked(nPosition, nPosition, bytes.data(), strError);
}

// Positions nFirst to nLast all take the same bytes, in one locked step: each position's previous
// bytes are backed up first, the file is replaced and read back, and the oldest backups go. Until
// the file is replaced, a failure takes back the backups it made, and only those.
BOOL CCartridgeSession::WriteLocked(int nFirst, int nLast, const BYTE* pBytes, CString& strError)
{
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
			if (!strKept.IsEmpty())
				::DeleteFile(strKept);
		return FALSE;
	}
	m_faults.bFlipBitNextWrite = FALSE;
	m_cartridge = written;
	for (int nPosition = nFirst; nPosition <= nLast && m_pBackups != NULL; ++nPosition)
		m_pBackups->Prune(nPosition);
	return ReadBack(nFirst, nLast, pBytes, strError);
}

// The file read again, still under the lock, and compared with what was asked.
BOOL CCartridgeSession::ReadBack(int nFirst, int nLast, const BYTE* pBytes, CString& strError)
{
	CCartridge stored;
	CString strReason;
	if (!m_strPath.IsEmpty() && CCartridgeFile::Load(m_strPath, stored, strReason) != CCartridgeFile::loaded)
	{
		strError.Format(_T("The cartridge was written, but cannot be read back to verify it: %s What each position "
			"written held before is its newest backup."), (LPCTSTR)strReason);
		return FALSE;
	}
	if (!m_strPath.IsEmpty())
		m_cartridge = stored;
	for (int nPosition = nFirst; nPosition <= nLast; ++nPosition)
	{
		const BYTE* pStored = m_cartridge.GetPosition(nPosition);
		UINT nDiffering = 0, nFirstOffset = 0;
		for (UINT i = SAVE_POSITION_SIZE; i-- > 0;)
			if (pStored[i] != pBytes[i])
				++nDiffering, nFirstOffset = i;
		if (nDiffering != 0)
		{
			strError.Format(_T("Position %d did not verify after writing: %u differing bytes, first at 0x%04X. It holds "
				"what was read back; what it held before is its newest backup."), nPosition + 1, nDiffering, nFirstOffset);
			return FALSE;
		}
	}
	return TRUE;
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

// The names of the cartridge's own set, in any case, whether or not they exist: the cartridge, its
// lock, its temporary files "<file>.~<number>.new", and its backups' folder with all it holds.
BOOL CCartridgeSession::IsNameOfCartridge(LPCTSTR lpszPath) const
{
	const size_t nLength = std::strlen(m_strPath);
	if (_strnicmp(lpszPath, m_strPath, nLength) != 0)
		return FALSE;
	LPCTSTR lpszTail = lpszPath + nLength;
	const size_t nDigits = _strnicmp(lpszTail, ".~", 2) == 0 ? std::strspn(lpszTail + 2, "0123456789") : 0;
	return *lpszTail == '\0' || _stricmp(lpszTail, ".lock") == 0 || _stricmp(lpszTail, ".backups") == 0 ||
		_strnicmp(lpszTail, ".backups\\", 9) == 0 || (nDigits > 0 && _stricmp(lpszTail + 2 + nDigits, ".new") == 0);
}

// The cartridge's own files, by name, and by identity where they exist: another name for one of
// them counts too.
BOOL CCartridgeSession::IsFileOfCartridge(LPCTSTR lpszPath) const
{
	CString strPath, strError;
	BY_HANDLE_FILE_INFORMATION target, info;
	if (m_strPath.IsEmpty())
		return FALSE;
	if (FullPath(lpszPath, strPath, strError) && IsNameOfCartridge(strPath))
		return TRUE;
	if (!GetIdentity(lpszPath, target))
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
