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
BOOL CCartridgeFile::Load(LPCTSTR lpszPath, CCartridge& cartridge, CString& strError, BOOL* pbDamaged)
{
	if (pbDamaged != NULL)
		*pbDamaged = FALSE;
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
	if (pbDamaged != NULL)
		*pbDamaged = TRUE;
	return FALSE;
}

// Temporary files that writers which died left beside a file: "<file>.~<number>.new", in the
// file's own folder, whatever separator its path uses, and no other file's.
static void RemoveLeftovers(LPCTSTR lpszPath)
{
	LPCTSTR lpszName = lpszPath;
	for (LPCTSTR p = lpszPath; *p != '\0'; ++p)
		if (*p == '\\' || *p == '/')
			lpszName = p + 1;
	const CString strFolder(lpszPath, (int)(lpszName - lpszPath));
	const size_t nName = std::strlen(lpszName);
	WIN32_FIND_DATA fd;
	HANDLE hFind = ::FindFirstFile(CString(lpszPath) + _T(".~*.new"), &fd);
	if (hFind == INVALID_HANDLE_VALUE)
		return;
	do
	{
		const size_t nLength = std::strlen(fd.cFileName);
		if (nLength > nName + 6 && _strnicmp(fd.cFileName, lpszName, nName) == 0 &&
			std::strncmp(fd.cFileName + nName, ".~", 2) == 0 && _stricmp(fd.cFileName + nLength - 4, ".new") == 0 &&
			std::strspn(fd.cFileName + nName + 2, "0123456789") == nLength - nName - 6)
			::DeleteFile(strFolder + fd.cFileName);
	} while (::FindNextFile(hFind, &fd));
	::FindClose(hFind);
}

// The first free "<file>.~<number>.new", taken by creating it: no other writer can have it.
static HANDLE CreateTemporary(LPCTSTR lpszPath, CString& strTemp)
{
	for (int nNumber = 1; nNumber <= 100; ++nNumber)
	{
		strTemp.Format(_T("%s.~%d.new"), lpszPath, nNumber);
		HANDLE hFile = ::CreateFile(strTemp, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
		if (hFile != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
			return hFile;
	}
	return INVALID_HANDLE_VALUE;
}

// Written beside the file under a name of its own, flushed, then renamed over it: a crash at any
// moment leaves the old file or the new one, never a mixture. A cartridge's caller holds its lock.
BOOL CCartridgeFile::Replace(LPCTSTR lpszPath, const BYTE* pData, DWORD nLength, CString& strError, SaveStep nLastStep)
{
	RemoveLeftovers(lpszPath);
	CString strTemp;
	HANDLE hFile = CreateTemporary(lpszPath, strTemp);
	if (hFile == INVALID_HANDLE_VALUE)
	{
		strError.Format(_T("%s: cannot be saved (the file beside it cannot be created, error %lu)."), lpszPath,
			::GetLastError());
		return FALSE;
	}
	DWORD nWritten = 0;
	BOOL bWritten = ::WriteFile(hFile, pData, nLength, &nWritten, NULL) && nWritten == nLength;
	DWORD dwError = bWritten ? ERROR_SUCCESS : ::GetLastError();
	if (bWritten && nLastStep >= stepTempFlushed && !::FlushFileBuffers(hFile))
		dwError = ::GetLastError(), bWritten = FALSE;
	::CloseHandle(hFile);
	if (bWritten && nLastStep < stepComplete)
		return TRUE;
	if (bWritten && ::MoveFileEx(strTemp, lpszPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
		return TRUE;
	if (bWritten)
		dwError = ::GetLastError();
	::DeleteFile(strTemp);
	strError.Format(bWritten ? _T("%s: cannot be saved (error %lu while replacing it).")
		: _T("%s: cannot be saved (error %lu while writing it: disk full or not writable?)."), lpszPath, dwError);
	return FALSE;
}

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
	return Replace(lpszPath, image.data(), FILE_SIZE, strError, nLastStep);
}
