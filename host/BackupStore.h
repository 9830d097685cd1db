// Numbered copies of save positions, kept beside the cartridge before every write.
#pragma once

#include <afxwin.h>
#include <vector>

struct CBackup
{
	CString strPath;
	int nPosition;       // 0 to 3
	UINT nNumber;        // orders the backups of one cartridge: a later backup has a higher number
	CString strTime;     // when it was written, local time: YYYY-MM-DD HH:MM:SS
};

class CBackupStore
{
public:
	// Backups kept of each position; the oldest go first.
	static const int MAX_PER_POSITION = 16;

	explicit CBackupStore(LPCTSTR lpszCartridgePath);

	BOOL Keep(int nPosition, const BYTE* pBytes, CString& strNewPath, CString& strError);
	void Prune(int nPosition, const CString& strNewest) const;
	std::vector<CBackup> List() const;  // oldest first
	static BOOL Read(const CBackup& backup, BYTE* pBuffer, CString& strError);
	const CString& GetFolder() const { return m_strFolder; }

private:
	CString m_strFolder;
};
