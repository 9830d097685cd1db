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

static const DWORD V1_FILE_SIZE = 24 + SAVE_POSITION_SIZE * SAVE_POSITION_COUNT + 4;

static BOOL HasMagic(const std::vector<BYTE>& image, UINT nRead)
{
	return nRead >= 12 && std::memcmp(image.data(), s_szMagic, 8) == 0;
}

static void ReadSwitches(const BYTE* pHeader, CCartridge& cartridge)
{
	const DWORD dwFlags = ReadDword(pHeader + 12);
	cartridge.m_bLinkReady = (dwFlags & FLAG_LINK_READY) != 0;
	cartridge.m_bPresent = (dwFlags & FLAG_PRESENT) != 0;
	cartridge.m_bMultiPosition = (dwFlags & FLAG_MULTI_POSITION) != 0;
	cartridge.m_bBlocked = (dwFlags & FLAG_BLOCKED) != 0;
	cartridge.m_bTrovesave = (dwFlags & FLAG_TROVESAVE) != 0;
	cartridge.m_dwCartId = ReadDword(pHeader + 16);
}

// The parts of a file's bytes that are intact go into the cartridge. A version 1 file has one
// checksum: it is whole or nothing. The switches' checksum covers the header too; a file whose
// header is damaged may still hold its positions.
static UINT ReadParts(const std::vector<BYTE>& image, UINT nRead, CCartridge& cartridge, DWORD& dwExpected)
{
	if (HasMagic(image, nRead) && ReadDword(&image[8]) == 1)
	{
		dwExpected = V1_FILE_SIZE;
		if (nRead != V1_FILE_SIZE || CCartridgeFile::Crc32(image.data(), V1_FILE_SIZE - 4) != ReadDword(&image[V1_FILE_SIZE - 4]))
			return 0;
		ReadSwitches(image.data(), cartridge);
		cartridge.SetSaveRam(&image[24]);
		return CCartridgeFile::INTACT_ALL;
	}
	dwExpected = CCartridgeFile::FILE_SIZE;
	UINT nIntact = 0;
	if (nRead >= CCartridgeFile::HEADER_SIZE && ReadDword(&image[8]) == CCartridgeFile::FORMAT_VERSION &&
		CCartridgeFile::Crc32(image.data(), 24) == ReadDword(&image[24]))
	{
		ReadSwitches(image.data(), cartridge);
		nIntact |= CCartridgeFile::INTACT_SWITCHES;
	}
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
	{
		const DWORD dwOffset = CCartridgeFile::HEADER_SIZE + nPosition * CCartridgeFile::RECORD_SIZE;
		if (nRead < dwOffset + CCartridgeFile::RECORD_SIZE ||
			CCartridgeFile::Crc32(&image[dwOffset], SAVE_POSITION_SIZE) != ReadDword(&image[dwOffset + SAVE_POSITION_SIZE]))
			continue;
		cartridge.WritePosition(nPosition, &image[dwOffset]);
		nIntact |= 1u << nPosition;
	}
	return nIntact;
}

// "the header, the switches, position 1 and position 3"
CString CCartridgeFile::NameParts(UINT nParts)
{
	std::vector<CString> names;
	if (nParts & DAMAGED_HEADER)
		names.push_back(_T("the header"));
	if (nParts & INTACT_SWITCHES)
		names.push_back(_T("the switches"));
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
	{
		CString strName;
		strName.Format(_T("position %d"), nPosition + 1);
		if (nParts & (1u << nPosition))
			names.push_back(strName);
	}
	CString strNames = names.empty() ? CString(_T("nothing")) : names[0];
	for (size_t i = 1; i < names.size(); ++i)
	{
		strNames += i + 1 == names.size() ? _T(" and ") : _T(", ");
		strNames += names[i];
	}
	return strNames;
}

// The first bytes.size() bytes of a file, or all it holds when it holds fewer. FALSE when it cannot
// be opened, lOsError saying why, or read, lOsError 0.
// A failure is said in strError, the file named as lpszWhat ("the cartridge file " or nothing).
static BOOL ReadHead(LPCTSTR lpszPath, LPCTSTR lpszWhat, std::vector<BYTE>& bytes, UINT& nRead, LONG& lOsError, CString& strError)
{
	CFile file;
	CFileException error;
	nRead = 0;
	lOsError = 0;
	if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite, &error))
	{
		lOsError = error.m_lOsError;
		strError.Format(_T("%s: %scannot be opened (error %ld)."), lpszPath, lpszWhat, lOsError);
		return FALSE;
	}
	try
	{
		for (UINT nLast = 1; nLast != 0 && nRead < bytes.size(); nRead += nLast)
			nLast = file.Read(&bytes[nRead], (UINT)bytes.size() - nRead);
	}
	catch (CFileException* e)
	{
		e->Delete();
		strError.Format(_T("%s: %scannot be read."), lpszPath, lpszWhat);
		return FALSE;
	}
	return TRUE;
}

// A file that is not a whole, intact cartridge is refused, naming what is damaged, and left as it is.
CCartridgeFile::LoadResult CCartridgeFile::Load(LPCTSTR lpszPath, CCartridge& cartridge, CString& strError, UINT* pnIntact)
{
	if (pnIntact != NULL)
		*pnIntact = 0;
	std::vector<BYTE> image(FILE_SIZE + 1);
	UINT nRead = 0;
	LONG lOsError = 0;
	if (!ReadHead(lpszPath, _T("the cartridge file "), image, nRead, lOsError, strError))
		return lOsError == ERROR_FILE_NOT_FOUND || lOsError == ERROR_PATH_NOT_FOUND ? missing : unreadable;

	DWORD dwExpected = 0;
	CCartridge found = cartridge;
	const UINT nIntact = ReadParts(image, nRead, found, dwExpected);
	cartridge = found;
	if (pnIntact != NULL)
		*pnIntact = nIntact;
	if (nIntact == INTACT_ALL && nRead == dwExpected)
		return loaded;
	const DWORD dwVersion = HasMagic(image, nRead) ? ReadDword(&image[8]) : 0;
	const BOOL bHeader = dwVersion == 1 || dwVersion == FORMAT_VERSION;
	if (nIntact == 0 && dwVersion == 0)
		strError.Format(_T("%s: not a cartridge file."), lpszPath);
	else if (nIntact == 0 && !bHeader)
		strError.Format(_T("%s: cartridge file version %lu is not supported (this host reads versions 1 and %lu)."),
			lpszPath, (unsigned long)dwVersion, (unsigned long)FORMAT_VERSION);
	else
	{
		const UINT nLost = (INTACT_ALL & ~nIntact) | (bHeader ? 0 : DAMAGED_HEADER);
		CString strDamage;
		if (nRead != dwExpected)
			strDamage.Format(_T("it is %u bytes long instead of %lu%s"), nRead, (unsigned long)dwExpected, nLost != 0 ? _T(", and ") : _T(""));
		if (nLost != 0)
			strDamage += NameParts(nLost) + ((nLost & (nLost - 1)) != 0 || nLost == INTACT_SWITCHES ? _T(" are not intact") : _T(" is not intact"));
		strError.Format(_T("%s: the cartridge file is damaged: %s."), lpszPath, (LPCTSTR)strDamage);
	}
	return damaged;
}

BOOL CCartridgeFile::ReadSave(LPCTSTR lpszPath, BYTE* pBuffer, CString& strError)
{
	std::vector<BYTE> bytes(SAVE_POSITION_SIZE + 1);
	UINT nRead = 0;
	LONG lOsError = 0;
	if (!ReadHead(lpszPath, _T(""), bytes, nRead, lOsError, strError))
		return FALSE;
	if (nRead != SAVE_POSITION_SIZE)
	{
		strError.Format(_T("%s: %u%s bytes; a save file holds exactly %u."), lpszPath, nRead,
			nRead > SAVE_POSITION_SIZE ? _T(" or more") : _T(""), (unsigned)SAVE_POSITION_SIZE);
		return FALSE;
	}
	std::memcpy(pBuffer, bytes.data(), SAVE_POSITION_SIZE);
	return TRUE;
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

// A file that another program holds open, if only for a moment to learn its name or identity,
// cannot be replaced: such a moment is waited out.
static BOOL RenameOver(LPCTSTR lpszFrom, LPCTSTR lpszTo)
{
	for (int nTry = 1;; ++nTry)
	{
		if (::MoveFileEx(lpszFrom, lpszTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
			return TRUE;
		const DWORD dwError = ::GetLastError();
		if (nTry == 20 || (dwError != ERROR_ACCESS_DENIED && dwError != ERROR_SHARING_VIOLATION))
			return FALSE;
		::Sleep(10);
		::SetLastError(dwError);
	}
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
	if (bWritten && RenameOver(strTemp, lpszPath))
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
	WriteDword(&image[24], Crc32(image.data(), 24));
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
	{
		BYTE* pRecord = &image[HEADER_SIZE + nPosition * RECORD_SIZE];
		std::memcpy(pRecord, cartridge.GetPosition(nPosition), SAVE_POSITION_SIZE);
		WriteDword(pRecord + SAVE_POSITION_SIZE, Crc32(pRecord, SAVE_POSITION_SIZE));
	}
	return Replace(lpszPath, image.data(), FILE_SIZE, strError, nLastStep);
}
