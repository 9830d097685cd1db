#include "BackupStore.h"
#include "CartridgeFile.h"
#include <algorithm>
#include <cstring>
#include <string>

// <cartridge>.backups\pos<N>-<number>.sav. The number, not the clock, orders them: a clock that
// goes back never makes the newest look old. Only the cartridge lock's holder writes them.
CBackupStore::CBackupStore(LPCTSTR lpszCartridgePath) : m_strFolder(CString(lpszCartridgePath) + _T(".backups")) {}

// Numbers of any length: compared by length first, and counted up as text.
static bool IsOlder(const CBackup& a, const CBackup& b)
{
	const size_t nA = std::strlen(a.strNumber), nB = std::strlen(b.strNumber);
	return nA != nB ? nA < nB : a.strNumber.Compare(b.strNumber) < 0;
}

static std::string NextNumber(const CString& strNumber)
{
	std::string strNext = (LPCTSTR)strNumber;
	size_t i = strNext.size();
	while (i > 0 && strNext[i - 1] == '9')
		strNext[--i] = '0';
	if (i == 0)
		strNext.insert(strNext.begin(), '1');
	else
		++strNext[i - 1];
	return strNext;
}

// "pos<N>-<digits>.sav" in any case, as the file system matches names.
static BOOL ParseName(LPCTSTR lpszName, CBackup& backup)
{
	if (_strnicmp(lpszName, "pos", 3) != 0 || lpszName[3] < '1' || lpszName[3] > '0' + SAVE_POSITION_COUNT || lpszName[4] != '-')
		return FALSE;
	LPCTSTR lpszDigits = lpszName + 5;
	const size_t nDigits = std::strspn(lpszDigits, "0123456789");
	if (nDigits == 0 || _stricmp(lpszDigits + nDigits, ".sav") != 0)
		return FALSE;
	size_t nZeros = 0;
	while (nZeros + 1 < nDigits && lpszDigits[nZeros] == '0')
		++nZeros;
	backup.nPosition = lpszName[3] - '1';
	backup.strNumber = CString(lpszDigits + nZeros, (int)(nDigits - nZeros));
	return TRUE;
}

// A new file every time, whole or not at all: it is written under a temporary name and renamed,
// and an earlier backup is never overwritten. strNewPath names it once it exists.
BOOL CBackupStore::Keep(int nPosition, const BYTE* pBytes, CString& strNewPath, CString& strError)
{
	strNewPath.Empty();
	std::vector<CBackup> backups;
	if ((::CreateDirectory(m_strFolder, NULL) || ::GetLastError() == ERROR_ALREADY_EXISTS) && List(backups, strError))
	{
		std::string strNumber = backups.empty() ? "1" : NextNumber(backups.back().strNumber);
		strNumber.insert(0, strNumber.size() < 8 ? 8 - strNumber.size() : 0, '0');
		CString strPath;
		strPath.Format(_T("%s\\pos%d-%s.sav"), (LPCTSTR)m_strFolder, nPosition + 1, strNumber.c_str());
		const CString strTemp = m_strFolder + _T("\\backup");
		if (CCartridgeFile::Replace(strTemp, pBytes, SAVE_POSITION_SIZE, strError))
		{
			if (::MoveFileEx(strTemp, strPath, MOVEFILE_WRITE_THROUGH))
			{
				strNewPath = strPath;
				return TRUE;
			}
			::DeleteFile(strTemp);
		}
	}
	strError.Format(_T("Position %d could not be backed up in %s; nothing was written."), nPosition + 1,
		(LPCTSTR)m_strFolder);
	return FALSE;
}

// Only backups older than the position's newest MAX_PER_POSITION go; one that cannot be deleted
// stays, and the count passes the bound. A folder that cannot be listed whole is left alone.
void CBackupStore::Prune(int nPosition) const
{
	std::vector<CBackup> backups;
	CString strError;
	if (!List(backups, strError))
		return;
	int nNewer = (int)std::count_if(backups.begin(), backups.end(),
		[nPosition](const CBackup& backup) { return backup.nPosition == nPosition; });
	for (const CBackup& backup : backups)
		if (backup.nPosition == nPosition && nNewer-- > MAX_PER_POSITION)
			::DeleteFile(backup.strPath);
}

// Every backup, or FALSE: a list cut short would make the newest look missing.
BOOL CBackupStore::List(std::vector<CBackup>& backups, CString& strError) const
{
	backups.clear();
	WIN32_FIND_DATA fd;
	HANDLE hFind = ::FindFirstFile(m_strFolder + _T("\\pos*.sav"), &fd);
	DWORD dwError = hFind == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
	for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = ::FindNextFile(hFind, &fd))
	{
		CBackup backup;
		if (!ParseName(fd.cFileName, backup))
			continue;
		backup.strPath = m_strFolder + _T("\\") + fd.cFileName;
		FILETIME ftLocal;
		SYSTEMTIME st;
		::FileTimeToLocalFileTime(&fd.ftLastWriteTime, &ftLocal);
		::FileTimeToSystemTime(&ftLocal, &st);
		backup.strTime.Format(_T("%04u-%02u-%02u %02u:%02u:%02u"), st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
			st.wSecond);
		backups.push_back(backup);
	}
	if (hFind != INVALID_HANDLE_VALUE)
	{
		dwError = ::GetLastError();
		::FindClose(hFind);
	}
	if (dwError != ERROR_SUCCESS && dwError != ERROR_NO_MORE_FILES && dwError != ERROR_FILE_NOT_FOUND &&
		dwError != ERROR_PATH_NOT_FOUND)
	{
		strError.Format(_T("The backups in %s cannot be listed (error %lu)."), (LPCTSTR)m_strFolder, dwError);
		return FALSE;
	}
	std::stable_sort(backups.begin(), backups.end(), IsOlder);
	return TRUE;
}
