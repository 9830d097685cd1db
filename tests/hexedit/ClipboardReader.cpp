// A second process: prints the clipboard's "BinaryData" and text blocks as hexadecimal bytes.
#include <windows.h>
#include <cstdio>

static void PrintBlock(const char* pszName, UINT nFormat)
{
	HGLOBAL hBlock = ::GetClipboardData(nFormat);
	std::printf("%s", pszName);
	if (hBlock != NULL)
	{
		const BYTE* p = (const BYTE*)::GlobalLock(hBlock);
		for (SIZE_T i = 0, n = ::GlobalSize(hBlock); i < n; ++i)
			std::printf(" %02X", p[i]);
		::GlobalUnlock(hBlock);
	}
	std::printf("\n");
}

int main()
{
	for (int nTry = 0; nTry < 50 && !::OpenClipboard(NULL); ++nTry)
		::Sleep(20);
	PrintBlock("binary", ::RegisterClipboardFormatA("BinaryData"));
	PrintBlock("text", CF_TEXT);
	::CloseClipboard();
	return 0;
}
