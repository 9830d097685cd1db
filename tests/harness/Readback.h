// What a test reads back from the screen and the clipboard.
#pragma once

#include <afxwin.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>

// A block of bytes: compared whole, printed as its size and first bytes.
struct CBytes : std::string
{
	using std::string::string;
	CBytes(const std::string& str) : std::string(str) {}
};

inline void PrintTo(const CBytes& bytes, std::ostream* pOut)
{
	*pOut << bytes.size() << " bytes from " << testing::PrintToString(bytes.substr(0, 24));
}

// Whether the strip (client coordinates) shows exactly the text, in the colour given, in the
// stock fixed font: its ink is compared pixel by pixel with the text drawn anew.
bool ShowsText(HWND hWnd, const CRect& rc, COLORREF crText, const char* pszText);

// One format's block, as bytes.
inline CBytes ClipboardBlock(UINT nFormat)
{
	CBytes strBytes;
	if (!::OpenClipboard(NULL))
		return strBytes;
	HGLOBAL hBlock = ::GetClipboardData(nFormat);
	if (hBlock != NULL)
	{
		strBytes.assign((const char*)::GlobalLock(hBlock), ::GlobalSize(hBlock));
		::GlobalUnlock(hBlock);
	}
	::CloseClipboard();
	return strBytes;
}

// Puts one block on the clipboard as another program would.
inline void PutBlock(UINT nFormat, const std::string& strBytes)
{
	::OleSetClipboard(NULL);
	if (!::OpenClipboard(NULL))
		return;
	::EmptyClipboard();
	HGLOBAL hBlock = ::GlobalAlloc(GMEM_MOVEABLE, strBytes.size());
	std::memcpy(::GlobalLock(hBlock), strBytes.data(), strBytes.size());
	::GlobalUnlock(hBlock);
	::SetClipboardData(nFormat, hBlock);
	::CloseClipboard();
}
