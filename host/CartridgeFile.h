// The file a simulated cartridge lives in: a header, the four save positions and a checksum.
//
//   offset 0        8 bytes   magic "CVLCART\0"
//   offset 8        4 bytes   format version, 1
//   offset 12       4 bytes   status flags: 1 link ready, 2 present, 4 several positions,
//                             8 blocked, 16 Trovesave
//   offset 16       4 bytes   cartridge identity
//   offset 20       4 bytes   reserved, 0
//   offset 24       4 x 65,536 bytes of save RAM, position 1 first
//   offset 262,168  4 bytes   CRC-32 of every byte before it
// Numbers are little-endian.
#pragma once

#include "Cartridge.h"

class CCartridgeFile
{
public:
	// How far a save gets: all the way, or (to show what a crash leaves) only some steps.
	enum SaveStep { stepTempWritten, stepTempFlushed, stepComplete };

	static const DWORD FORMAT_VERSION = 1;
	static const DWORD FILE_SIZE = 24 + SAVE_POSITION_SIZE * SAVE_POSITION_COUNT + 4;

	// *pbDamaged tells a file that was read but is no intact cartridge from one that was not read.
	static BOOL Load(LPCTSTR lpszPath, CCartridge& cartridge, CString& strError, BOOL* pbDamaged = NULL);
	static BOOL Save(LPCTSTR lpszPath, const CCartridge& cartridge, CString& strError,
		SaveStep nLastStep = stepComplete);
	static BOOL Replace(LPCTSTR lpszPath, const BYTE* pData, DWORD nLength, CString& strError,
		SaveStep nLastStep = stepComplete);
	static DWORD Crc32(const BYTE* pData, size_t nLength);
};
