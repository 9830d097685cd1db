#include "CartridgeFile.h"
#include <cstring>
#include <vector>

static const char s_szMagic[8] = { 'C', 'V', 'L', 'C', 'A', 'R', 'T', '\0' };

enum
{
	FLAG_LINK_READY = 1, FLAG_PRESENT = 2, FLAG_MULTI_POSITION = 4, FLAG_BLOCKED = 8, FLAG_TROVESAVE = 16
};

static DWORD ReadDword(const BYTE* p)
{
	return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

static void WriteDword(BYTE* p, DWORD dw)
{
	for (int i = 0; i < 4; ++i)
		p[i] = (BYTE)(dw >> (8 * i));
}

DWORD CCartridgeFile::Crc32(const BYTE* pData, size_t nLength)
{
	DWORD dwCrc = 0xFFFFFFFF;
	for (size_t i = 0; i < nLength; ++i)
	{
		dwCrc ^= pData[i];
		for (int nBit = 0; nBit < 8; ++nBit)
			dwCrc = (dwCrc >> 1) ^ (0xEDB88320 & (0 - (dwCrc & 1)));
	}
	return ~dwCrc;
}

// A file that is not a whole, intact cartridge of our version is refused and left as it is.
BOOL CCartridgeFile::Load(LPCTSTR lpszPath, CCartridge& cartridge, CString& strError)
{
	CFile file;
	CFileException error;
	if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite, &error))
	{
		strError.Format(_T("%s: the cartridge file cannot be opened (error %ld)."), lpszPath, error.m_lOsError);
		return FALSE;
	}
	std::vector<BYTE> image(FILE_SIZE + 1);
	UINT nRead = 0;
	try
	{
		nRead = file.Read(image.data(), (UINT)image.size());
	}
	catch (CFileException* e)
	{
		e->Delete();
		strError.Format(_T("%s: the cartridge file cannot be read."), lpszPath);
		return FALSE;
	}
	file.Close();

	if (nRead < 8 || std::memcmp(image.data(), s_szMagic, 8) != 0)
		strError.Format(_T("%s: not a cartridge file."), lpszPath);
	else if (nRead < 12 || ReadDword(&image[8]) != FORMAT_VERSION)
		strError.Format(_T("%s: cartridge file version %lu is not supported (this host reads version %lu)."),
			lpszPath, nRead < 12 ? 0UL : (unsigned long)ReadDword(&image[8]), (unsigned long)FORMAT_VERSION);
	else if (nRead != FILE_SIZE)
		strError.Format(_T("%s: the cartridge file is %u bytes long instead of %lu: it is damaged."), lpszPath,
			nRead, (unsigned long)FILE_SIZE);
	else if (Crc32(image.data(), FILE_SIZE - 4) != ReadDword(&image[FILE_SIZE - 4]))
		strError.Format(_T("%s: the cartridge file's checksum does not match: it is damaged."), lpszPath);
	else
	{
		DWORD dwFlags = ReadDword(&image[12]);
		cartridge.m_bLinkReady = (dwFlags & FLAG_LINK_READY) != 0;
		cartridge.m_bPresent = (dwFlags & FLAG_PRESENT) != 0;
		cartridge.m_bMultiPosition = (dwFlags & FLAG_MULTI_POSITION) != 0;
		cartridge.m_bBlocked = (dwFlags & FLAG_BLOCKED) != 0;
		cartridge.m_bTrovesave = (dwFlags & FLAG_TROVESAVE) != 0;
		cartridge.m_dwCartId = ReadDword(&image[16]);
		cartridge.SetSaveRam(&image[24]);
		return TRUE;
	}
	return FALSE;
}

// Temporary files that writers which died left beside the cartridge. Only the lock's holder
// writes, so any that exist now are leftovers.
static void RemoveLeftovers(LPCTSTR lpszPath)
{
	LPCTSTR lpszName = _tcsrchr(lpszPath, '\\');
	const CString strFolder(lpszPath, lpszName != NULL ? (int)(lpszName - lpszPath) + 1 : 0);
	WIN32_FIND_DATA fd;
	HANDLE hFind = ::FindFirstFile(CString(lpszPath) + _T(".*.new"), &fd);
	if (hFind == INVALID_HANDLE_VALUE)
		return;
	do
		::DeleteFile(strFolder + fd.cFileName);
	while (::FindNextFile(hFind, &fd));
	::FindClose(hFind);
}

// Written beside the cartridge under a name of this process's own, flushed, then renamed over it:
// a crash at any moment leaves the old cartridge or the new one, never a mixture. The caller holds
// the cartridge's lock.
BOOL CCartridgeFile::Save(LPCTSTR lpszPath, const CCartridge& cartridge, CString& strError, SaveStep nLastStep)
{
	std::vector<BYTE> image(FILE_SIZE, 0);
	std::memcpy(image.data(), s_szMagic, 8);
	WriteDword(&image[8], FORMAT_VERSION);
	DWORD dwFlags = (cartridge.m_bLinkReady ? FLAG_LINK_READY : 0) | (cartridge.m_bPresent ? FLAG_PRESENT : 0) |
		(cartridge.m_bMultiPosition ? FLAG_MULTI_POSITION : 0) | (cartridge.m_bBlocked ? FLAG_BLOCKED : 0) |
		(cartridge.m_bTrovesave ? FLAG_TROVESAVE : 0);
	WriteDword(&image[12], dwFlags);
	WriteDword(&image[16], cartridge.m_dwCartId);
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		std::memcpy(&image[24 + nPosition * SAVE_POSITION_SIZE], cartridge.GetPosition(nPosition), SAVE_POSITION_SIZE);
	WriteDword(&image[FILE_SIZE - 4], Crc32(image.data(), FILE_SIZE - 4));

	RemoveLeftovers(lpszPath);
	CString strTemp;
	strTemp.Format(_T("%s.%lu.new"), lpszPath, ::GetCurrentProcessId());
	CFile file;
	if (!file.Open(strTemp, CFile::modeCreate | CFile::modeWrite))
	{
		strError.Format(_T("%s: the cartridge cannot be saved (the file beside it cannot be created)."), lpszPath);
		return FALSE;
	}
	try
	{
		file.Write(image.data(), (UINT)image.size());
		if (nLastStep >= stepTempFlushed)
			::FlushFileBuffers(file.m_hFile);
		file.Close();
	}
	catch (CFileException* e)
	{
		e->Delete();
		file.Abort();
		::DeleteFile(strTemp);
		strError.Format(_T("%s: the cartridge cannot be saved (disk full or not writable)."), lpszPath);
		return FALSE;
	}
	if (nLastStep < stepComplete)
		return TRUE;
	if (!::MoveFileEx(strTemp, lpszPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
	{
		::DeleteFile(strTemp);
		strError.Format(_T("%s: the cartridge cannot be saved (error %lu while replacing it)."), lpszPath,
			::GetLastError());
		return FALSE;
	}
	return TRUE;
}
