// Byte entry: hexadecimal digits typed over the control's own copy of the data.
#include "HexEditShared.h"
#include <cctype>

LRESULT CHexEditBase::OnChar(WPARAM wParam, LPARAM)
{
	if (wParam == VK_BACK)
		return 1;
	return EnterHexDigit((UINT)wParam) ? 0 : 1;
}

// One hexadecimal digit overwrites the half-byte under the caret of the control's own copy.
BOOL CHexEditBase::EnterHexDigit(UINT nChar)
{
	UINT nCode = nChar & 0xFFFF;
	if (nCode > 0xFF || !HasData() || m_bReadOnly || m_nEditPos >= m_nLength)
		return FALSE;
	int c = std::tolower((int)nCode);
	BYTE nValue;
	if (c >= 'a' && c <= 'f')
		nValue = (BYTE)(c - 'a' + 10);
	else if (c >= '0' && c <= '9')
		nValue = (BYTE)(c - '0');
	else
		return FALSE;

	BYTE& b = m_pData[m_nEditPos];
	if (m_bHighNibble)
	{
		b = (BYTE)((b & 0x0F) | (nValue << 4));
		MoveEditPosition(0, FALSE);
	}
	else
	{
		b = (BYTE)((b & 0xF0) | nValue);
		MoveEditPosition(1, TRUE);
	}
	InvalidateRect(NULL, TRUE);
	NotifyParent(EN_CHANGE);
	return TRUE;
}
