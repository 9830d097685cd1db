// The file a simulated cartridge lives in. Version 2 gives each part its own CRC-32, so that a
// damaged file still gives back every part that is intact:
//
//   offset 0        8 bytes   magic "CVLCART\0"
//   offset 8        4 bytes   format version, 2
//   offset 12       4 bytes   status flags: 1 link ready, 2 present, 4 several positions,
//                             8 blocked, 16 Trovesave
//   offset 16       4 bytes   cartridge identity
//   offset 20       4 bytes   reserved, 0
//   offset 24       4 bytes   CRC-32 of the 24 bytes before it (the switches)
//   offset 28       4 x (65,536 bytes of save RAM, then their CRC-32), position 1 first
//
// Version 1, still read and written as version 2 at the next change, has the same first 24 bytes,
// the four positions and one CRC-32 of everything before it. Numbers are little-endian.
#pragma once

#include "Cartridge.h"

class CCartridgeFile
{
public:
	// How far a save gets: all the way, or (to show what a crash leaves) only some steps.
	enum SaveStep { stepTempWritten, stepTempFlushed, stepComplete };
	enum LoadResult { loaded, missing, unreadable, damaged };

	// The parts of a cartridge that a damaged file may still hold intact: a bit a position, and its switches.
	static const UINT INTACT_SWITCHES = 1 << SAVE_POSITION_COUNT;
	static const UINT INTACT_ALL = (INTACT_SWITCHES << 1) - 1;
	static const UINT DAMAGED_HEADER = INTACT_SWITCHES << 1;  // named among the damaged parts only

	static const DWORD FORMAT_VERSION = 2;
	static const DWORD HEADER_SIZE = 28;
	static const DWORD RECORD_SIZE = SAVE_POSITION_SIZE + 4;
	static const DWORD FILE_SIZE = HEADER_SIZE + RECORD_SIZE * SAVE_POSITION_COUNT;

	// A damaged file puts the parts it holds intact into the cartridge, and names them in *pnIntact.
	static LoadResult Load(LPCTSTR lpszPath, CCartridge& cartridge, CString& strError, UINT* pnIntact = NULL);
	static BOOL Save(LPCTSTR lpszPath, const CCartridge& cartridge, CString& strError,
		SaveStep nLastStep = stepComplete);
	static BOOL Replace(LPCTSTR lpszPath, const BYTE* pData, DWORD nLength, CString& strError,
		SaveStep nLastStep = stepComplete);
	// A save file: exactly one position's bytes as they are read, whatever its length said.
	static BOOL ReadSave(LPCTSTR lpszPath, BYTE* pBuffer, CString& strError);
	static DWORD Crc32(const BYTE* pData, size_t nLength);
	static CString NameParts(UINT nParts);
};
