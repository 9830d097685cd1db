#include "BackupStore.h"
#include "CartridgeFile.h"
#include <algorithm>
#include <cstdio>

// <cartridge>.backups\pos<N>-<number>.sav. The number, not the clock, orders them: a clock that
// goes back never makes the newest look old. Only the cartridge lock's holder writes them.
CBackupStore::CBackupStore(LPCTSTR lpszCartridgePath) : m_strFolder(CString(lpszCartridgePath) + _T(".backups")) {}

// A new file every time, whole or not at all: it is written under a temporary name and renamed,
// and an earlier backup is never overwritten.
BOOL CBackupStore::Keep(int nPosition, const BYTE* pBytes, CString& strNewPath, CString& strError)
{
	::CreateDirectory(m_strFolder, NULL);
	const std::vector<CBackup> backups = List();
	UINT nNumber = backups.empty() ? 1 : backups.back().nNumber + 1;
	strNewPath.Format(_T("%s\\pos%d-%08u.sav"), (LPCTSTR)m_strFolder, nPosition + 1, nNumber);
	CString strTemp = m_strFolder + _T("\\backup");
	if (CCartridgeFile::Replace(strTemp, pBytes, SAVE_POSITION_SIZE, strError) &&
		::MoveFileEx(strTemp, strNewPath, MOVEFILE_WRITE_THROUGH))
		return TRUE;
	::DeleteFile(strTemp);
	strError.Format(_T("Position %d could not be backed up in %s; nothing was written."), nPosition + 1,
		(LPCTSTR)m_strFolder);
	return FALSE;
}

// Oldest first, never the newest; one that cannot be deleted stays, and the count passes the bound.
void CBackupStore::Prune(int nPosition, const CString& strNewest) const
{
	std::vector<CBackup> backups = List();
	int nKept = (int)std::count_if(backups.begin(), backups.end(),
		[nPosition](const CBackup& backup) { return backup.nPosition == nPosition; });
	for (auto it = backups.begin(); it != backups.end() && nKept > MAX_PER_POSITION; ++it)
	{
		if (it->nPosition == nPosition && it->strPath.Compare(strNewest) != 0 && ::DeleteFile(it->strPath))
			--nKept;
	}
}

std::vector<CBackup> CBackupStore::List() const
{
	std::vector<CBackup> backups;
	WIN32_FIND_DATA fd;
	HANDLE hFind = ::FindFirstFile(m_strFolder + _T("\\pos*.sav"), &fd);
	if (hFind == INVALID_HANDLE_VALUE)
		return backups;
	do
	{
		unsigned nPos = 0, nNumber = 0;
		int nEnd = 0;
		if (std::sscanf(fd.cFileName, "pos%1u-%8u.sav%n", &nPos, &nNumber, &nEnd) != 2 || fd.cFileName[nEnd] != '\0' ||
			nEnd != 17 || nPos < 1 || nPos > SAVE_POSITION_COUNT)
			continue;
		CBackup backup;
		backup.strPath = m_strFolder + _T("\\") + fd.cFileName;
		backup.nPosition = (int)nPos - 1;
		backup.nNumber = nNumber;
		FILETIME ftLocal;
		SYSTEMTIME st;
		::FileTimeToLocalFileTime(&fd.ftLastWriteTime, &ftLocal);
		::FileTimeToSystemTime(&ftLocal, &st);
		backup.strTime.Format(_T("%04u-%02u-%02u %02u:%02u:%02u"), st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
			st.wSecond);
		backups.push_back(backup);
	} while (::FindNextFile(hFind, &fd));
	::FindClose(hFind);
	std::sort(backups.begin(), backups.end(), [](const CBackup& a, const CBackup& b) { return a.nNumber < b.nNumber; });
	return backups;
}

BOOL CBackupStore::Read(const CBackup& backup, BYTE* pBuffer, CString& strError)
{
	CFile file;
	if (!file.Open(backup.strPath, CFile::modeRead | CFile::shareDenyWrite))
	{
		strError.Format(_T("The backup %s cannot be opened."), (LPCTSTR)backup.strPath);
		return FALSE;
	}
	UINT nRead = 0;
	try
	{
		if (file.GetLength() == SAVE_POSITION_SIZE)
			nRead = file.Read(pBuffer, SAVE_POSITION_SIZE);
	}
	catch (CFileException* e)
	{
		e->Delete();
	}
	file.Close();
	if (nRead != SAVE_POSITION_SIZE)
	{
		strError.Format(_T("The backup %s is not a whole save position."), (LPCTSTR)backup.strPath);
		return FALSE;
	}
	return TRUE;
}
