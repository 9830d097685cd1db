// Time-stamped copies of save positions, kept beside the cartridge before every write.
#pragma once

#include <afxwin.h>
#include <string>
#include <vector>

struct CBackup
{
	CString strPath;
	int nPosition;       // 0 to 3
	CString strTime;     // as the file name has it: YYYY-MM-DD HH:MM:SS.mmm
	int nSequence;       // orders backups kept within one millisecond
};

class CBackupStore
{
public:
	// Backups kept of each position; the oldest go first.
	static const int MAX_PER_POSITION = 16;

	explicit CBackupStore(LPCTSTR lpszCartridgePath);

	BOOL Keep(int nPosition, const BYTE* pBytes, CString& strError);
	std::vector<CBackup> List() const;  // oldest first
	static BOOL Read(const CBackup& backup, BYTE* pBuffer, CString& strError);
	const CString& GetFolder() const { return m_strFolder; }

private:
	void Prune(int nPosition) const;

	CString m_strFolder;
};
