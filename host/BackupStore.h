// Numbered copies of save positions, kept beside the cartridge before every write.
#pragma once

#include <afxwin.h>
#include <vector>

struct CBackup
{
	CString strPath;
	int nPosition;       // 0 to 3
	CString strNumber;   // decimal digits without leading zeros: a later backup has a higher number
	CString strTime;     // when it was written, local time: YYYY-MM-DD HH:MM:SS
};

class CBackupStore
{
public:
	// The newest backups of each position that are always kept.
	static const int MAX_PER_POSITION = 16;

	explicit CBackupStore(LPCTSTR lpszCartridgePath);

	BOOL Keep(int nPosition, const BYTE* pBytes, CString& strNewPath, CString& strError);
	void Prune(int nPosition) const;
	BOOL List(std::vector<CBackup>& backups, CString& strError) const;  // oldest first
	const CString& GetFolder() const { return m_strFolder; }

private:
	CString m_strFolder;
};
