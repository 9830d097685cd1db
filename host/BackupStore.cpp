#include "BackupStore.h"
#include "../plugin/HostMessages.h"
#include <algorithm>
#include <cstdio>

// <cartridge>.backups\pos<N>-<YYYYMMDD>-<HHMMSS>-<mmm>[-<k>].sav
CBackupStore::CBackupStore(LPCTSTR lpszCartridgePath) : m_strFolder(CString(lpszCartridgePath) + _T(".backups")) {}

// A new file every time: an earlier backup is never overwritten.
BOOL CBackupStore::Keep(int nPosition, const BYTE* pBytes, CString& strError)
{
	::CreateDirectory(m_strFolder, NULL);
	SYSTEMTIME st;
	::GetLocalTime(&st);
	for (int nAttempt = 0; nAttempt < 1000; ++nAttempt)
	{
		CString strPath;
		strPath.Format(_T("%s\\pos%d-%04u%02u%02u-%02u%02u%02u-%03u"), (LPCTSTR)m_strFolder, nPosition + 1,
			st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
		if (nAttempt > 0)
		{
			CString strSuffix;
			strSuffix.Format(_T("-%d"), nAttempt);
			strPath += strSuffix;
		}
		strPath += _T(".sav");
		HANDLE hFile = ::CreateFile(strPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
		if (hFile == INVALID_HANDLE_VALUE)
		{
			if (::GetLastError() == ERROR_FILE_EXISTS)
				continue;
			break;
		}
		DWORD nWritten = 0;
		BOOL bWritten = ::WriteFile(hFile, pBytes, SAVE_POSITION_SIZE, &nWritten, NULL) &&
			nWritten == SAVE_POSITION_SIZE && ::FlushFileBuffers(hFile);
		::CloseHandle(hFile);
		if (bWritten)
		{
			Prune(nPosition);
			return TRUE;
		}
		::DeleteFile(strPath);
		break;
	}
	strError.Format(_T("Position %d could not be backed up in %s; nothing was written."), nPosition + 1,
		(LPCTSTR)m_strFolder);
	return FALSE;
}

void CBackupStore::Prune(int nPosition) const
{
	std::vector<CBackup> backups = List();
	int nKept = (int)std::count_if(backups.begin(), backups.end(),
		[nPosition](const CBackup& backup) { return backup.nPosition == nPosition; });
	for (auto it = backups.begin(); nKept > MAX_PER_POSITION; ++it)
	{
		if (it->nPosition == nPosition && ::DeleteFile(it->strPath))
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
		unsigned nPos, nDate, nTime, nMillis, nSequence = 0;
		if (std::sscanf(fd.cFileName, "pos%u-%8u-%6u-%3u-%u", &nPos, &nDate, &nTime, &nMillis, &nSequence) < 4 ||
			nPos < 1 || nPos > SAVE_POSITION_COUNT)
			continue;
		CBackup backup;
		backup.strPath = m_strFolder + _T("\\") + fd.cFileName;
		backup.nPosition = (int)nPos - 1;
		backup.nSequence = (int)nSequence;
		backup.strTime.Format(_T("%04u-%02u-%02u %02u:%02u:%02u.%03u"), nDate / 10000, nDate / 100 % 100,
			nDate % 100, nTime / 10000, nTime / 100 % 100, nTime % 100, nMillis);
		backups.push_back(backup);
	} while (::FindNextFile(hFind, &fd));
	::FindClose(hFind);
	std::sort(backups.begin(), backups.end(), [](const CBackup& a, const CBackup& b) {
		int nTime = a.strTime.Compare(b.strTime);
		return nTime != 0 ? nTime < 0 : a.nSequence != b.nSequence ? a.nSequence < b.nSequence
			: a.nPosition < b.nPosition;
	});
	return backups;
}

BOOL CBackupStore::Read(const CBackup& backup, BYTE* pBuffer, CString& strError)
{
	CFile file;
	if (!file.Open(backup.strPath, CFile::modeRead))
	{
		strError.Format(_T("The backup %s cannot be opened."), (LPCTSTR)backup.strPath);
		return FALSE;
	}
	UINT nRead = 0;
	try
	{
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
