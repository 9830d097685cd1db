// What the files of CHexEditBase share: its values and small helpers.
#pragma once

#include "HexEditBase.h"

static const UINT NONE = 0xFFFFFFFF;
static const int GAP = 5;          // between columns, and the multi-line margin
static const char s_szDigits[] = "0123456789ABCDEF";

// Flag arguments count by their low byte.
inline bool LowByte(BOOL bFlag)
{
	return (BYTE)bFlag != 0;
}
