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
};

class CBackupStore
{
public:
	explicit CBackupStore(LPCTSTR lpszCartridgePath);

	BOOL Keep(int nPosition, const BYTE* pBytes, CString& strError);
	std::vector<CBackup> List() const;
	static BOOL Read(const CBackup& backup, BYTE* pBuffer, CString& strError);
	const CString& GetFolder() const { return m_strFolder; }

private:
	CString m_strFolder;
};
