// What tests feed in and read back: keyboard state, files, the clipboard and painted text.
#pragma once

#include <afxwin.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// Holds a key down, as far as GetKeyState on this thread can tell, without real input.
inline void SetKeyDown(int nVirtKey, bool bDown)
{
	BYTE abKeys[256];
	::GetKeyboardState(abKeys);
	abKeys[nVirtKey] = bDown ? 0x80 : 0;
	::SetKeyboardState(abKeys);
}

inline CBytes ReadBytes(const std::string& strPath)
{
	std::ifstream file(strPath, std::ios::binary);
	return CBytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& strPath, const std::string& strBytes)
{
	std::ofstream(strPath, std::ios::binary).write(strBytes.data(), (std::streamsize)strBytes.size());
}

// A file beside this program, by name.
inline std::string BesideThisProgram(const char* pszName)
{
	char szPath[MAX_PATH];
	const std::string strPath(szPath, ::GetModuleFileNameA(NULL, szPath, MAX_PATH));
	return strPath.substr(0, strPath.rfind('\\') + 1) + pszName;
}

// Linux paths are reachable through drive Z:.
inline std::string WindowsPath(std::string strPath)
{
	std::replace(strPath.begin(), strPath.end(), '/', '\\');
	return "Z:" + strPath;
}

// A folder of the running test's own in the temporary folder, removed with all it holds.
struct CTempFolder
{
	explicit CTempFolder(const char* pszSuffix = "")
	{
		char szTemp[MAX_PATH];
		::GetTempPathA(MAX_PATH, szTemp);
		m_strPath = std::string(szTemp) + "mendle-" + testing::UnitTest::GetInstance()->current_test_info()->name() + pszSuffix;
		std::filesystem::remove_all(m_strPath, m_error);
		std::filesystem::create_directory(m_strPath, m_error);
	}
	~CTempFolder() { std::filesystem::remove_all(m_strPath, m_error); }
	std::string operator/(const std::string& strName) const { return m_strPath + "\\" + strName; }

	std::string m_strPath;
	std::error_code m_error;
};

// The format in which the hex control and other programs exchange bytes.
inline const UINT kBinaryData = ::RegisterClipboardFormat(_T("BinaryData"));

inline CBytes ClipboardBlock(UINT nFormat)
{
	CBytes bytes;
	HGLOBAL hBlock = ::OpenClipboard(NULL) ? ::GetClipboardData(nFormat) : NULL;
	if (hBlock != NULL)
	{
		bytes.assign((const char*)::GlobalLock(hBlock), ::GlobalSize(hBlock));
		::GlobalUnlock(hBlock);
	}
	::CloseClipboard();
	return bytes;
}

// Puts one block on the clipboard as another program would.
inline void PutBlock(UINT nFormat, const std::string& strBytes)
{
	::OleSetClipboard(NULL);
	::OpenClipboard(NULL);
	::EmptyClipboard();
	HGLOBAL hBlock = ::GlobalAlloc(GMEM_MOVEABLE, strBytes.size());
	std::memcpy(::GlobalLock(hBlock), strBytes.data(), strBytes.size());
	::GlobalUnlock(hBlock);
	::SetClipboardData(nFormat, hBlock);
	::CloseClipboard();
}

// Dispatches what is queued, as a message loop would.
inline void PumpMessages()
{
	MSG msg;
	while (::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE))
		::DispatchMessage(&msg);
}

// The character cell of a font; of the stock fixed font, which the hex control uses unless told otherwise.
inline CSize StockFontCell(HGDIOBJ hFont = ::GetStockObject(OEM_FIXED_FONT))
{
	CSize cell;
	HDC hDC = ::GetDC(NULL);
	HGDIOBJ hOld = ::SelectObject(hDC, hFont);
	::GetTextExtentPoint32A(hDC, "0", 1, &cell);
	::SelectObject(hDC, hOld);
	::ReleaseDC(NULL, hDC);
	return cell;
}

// Whether the strip (client coordinates) shows exactly the text, in the colour given, in the font
// given or the stock fixed font: its ink is compared pixel by pixel with the text drawn anew.
bool ShowsText(HWND hWnd, const CRect& rc, COLORREF crText, const char* pszText, HGDIOBJ hFont = ::GetStockObject(OEM_FIXED_FONT));

// Points a module's import at another function while it lives: a test fails or watches what a DLL
// calls. The import address table holds what the loader resolved, in a writable section.
struct CImportPatch
{
	CImportPatch(const char* pszModule, const char* pszExporter, const char* pszFunction, FARPROC pfnReplacement, bool bRequired = true)
		: m_pfnOriginal(::GetProcAddress(::GetModuleHandleA(pszExporter), pszFunction)), m_ppfnSlot(&m_pfnOriginal)
	{
		BYTE* pBase = (BYTE*)::GetModuleHandleA(pszModule);  // NULL: this program
		const IMAGE_NT_HEADERS* pNt = (const IMAGE_NT_HEADERS*)(pBase + ((const IMAGE_DOS_HEADER*)pBase)->e_lfanew);
		auto* pImport = (const IMAGE_IMPORT_DESCRIPTOR*)(pBase + pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
		for (; pImport->Name != 0; ++pImport)
			for (auto* ppfn = (FARPROC*)(pBase + pImport->FirstThunk); *ppfn != NULL; ++ppfn)
				m_ppfnSlot = *ppfn == m_pfnOriginal ? ppfn : m_ppfnSlot;
		EXPECT_TRUE(!bRequired || m_ppfnSlot != &m_pfnOriginal) << (pszModule ? pszModule : "this program") << " does not import " << pszFunction;
		if (m_ppfnSlot != &m_pfnOriginal)
			*m_ppfnSlot = pfnReplacement;
	}
	~CImportPatch() { *m_ppfnSlot = m_pfnOriginal; }
	FARPROC m_pfnOriginal, *m_ppfnSlot;
};

// Makes a kernel32 function that this program imports fail from its nth call from now on, with
// "access denied", as a full disk or a file that another program holds would; or, told to lie,
// claim success there without doing anything.
template <typename... Args>
struct CFailingCall
{
	CFailingCall(const char* pszFunction, int nCall, bool bLie = false) : m_patch(NULL, "kernel32.dll", pszFunction, (FARPROC)Call)
	{
		s_nLeft = nCall > 0 ? nCall : INT_MAX;  // 0: never
		s_bLie = bLie;
		s_pfnOriginal = m_patch.m_pfnOriginal;
	}
	static BOOL WINAPI Call(Args... args)
	{
		if (--s_nLeft > 0)
			return ((BOOL(WINAPI*)(Args...))s_pfnOriginal)(args...);
		::SetLastError(ERROR_ACCESS_DENIED);
		return s_bLie;
	}
	CImportPatch m_patch;
	inline static int s_nLeft = 0;
	inline static bool s_bLie = false;
	inline static FARPROC s_pfnOriginal = NULL;
};
using CFailingMove = CFailingCall<LPCSTR, LPCSTR, DWORD>;
using CFailingFlush = CFailingCall<HANDLE>;
