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

// Selects a GDI object into a device context for the holder's life and the one it replaced
// again afterwards, however the scope ends: nothing is deleted while still selected.
class CSelectedObject
{
public:
	CSelectedObject(CDC* pDC, const CGdiObject& object) : m_pDC(pDC), m_hOld(pDC->SelectObject(object.m_hObject)) {}
	~CSelectedObject()
	{
		if (m_hOld != NULL)
			m_pDC->SelectObject(m_hOld);
	}
	CSelectedObject(const CSelectedObject&) = delete;
	CSelectedObject& operator=(const CSelectedObject&) = delete;

private:
	CDC* m_pDC;
	HGDIOBJ m_hOld;
};
