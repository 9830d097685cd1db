// Holds a key down, as far as GetKeyState on this thread can tell, without real input.
#pragma once

#include <windows.h>

inline void SetKeyDown(int nVirtKey, bool bDown)
{
	BYTE abKeys[256];
	::GetKeyboardState(abKeys);
	abKeys[nVirtKey] = bDown ? 0x80 : 0;
	::SetKeyboardState(abKeys);
}
