#include "../afxwin.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>

CString::CString() = default;
CString::CString(const CString& stringSrc) = default;
CString::CString(LPCTSTR lpsz) : m_str(lpsz != NULL ? lpsz : "") {}
CString::CString(LPCTSTR lpch, int nLength) : m_str(lpch, nLength) {}

const CString& CString::operator=(const CString& stringSrc)
{
	m_str = stringSrc.m_str;
	return *this;
}

const CString& CString::operator=(LPCTSTR lpsz)
{
	m_str = lpsz != NULL ? lpsz : "";
	return *this;
}

const CString& CString::operator+=(const CString& string)
{
	m_str += string.m_str;
	return *this;
}

const CString& CString::operator+=(LPCTSTR lpsz)
{
	if (lpsz != NULL)
		m_str += lpsz;
	return *this;
}

const CString& CString::operator+=(TCHAR ch)
{
	m_str += ch;
	return *this;
}

int CString::Compare(LPCTSTR lpsz) const
{
	return std::strcmp(m_str.c_str(), lpsz);
}

BOOL CString::LoadString(UINT nID)
{
	// The string table block that holds nID, in the first module of the chain that has it.
	LPCTSTR lpszBlock = MAKEINTRESOURCE((nID >> 4) + 1);
	HINSTANCE hInst = AfxFindResourceHandle(lpszBlock, RT_STRING);
	char szBuffer[1024];
	int nLen = ::LoadStringA(hInst, nID, szBuffer, sizeof(szBuffer));
	m_str.assign(szBuffer, nLen > 0 ? nLen : 0);
	return nLen > 0;
}

void AFX_CDECL CString::Format(LPCTSTR lpszFormat, ...)
{
	va_list args;
	va_start(args, lpszFormat);
	va_list argsCopy;
	va_copy(argsCopy, args);
	int nLen = std::vsnprintf(NULL, 0, lpszFormat, argsCopy);
	va_end(argsCopy);
	m_str.assign(nLen > 0 ? nLen : 0, '\0');
	if (nLen > 0)
		std::vsnprintf(&m_str[0], nLen + 1, lpszFormat, args);
	va_end(args);
}

LPTSTR CString::GetBuffer(int nMinBufLength)
{
	if ((int)m_str.size() < nMinBufLength)
		m_str.resize(nMinBufLength);
	return &m_str[0];
}

CString AFXAPI operator+(const CString& string, LPCTSTR lpsz)
{
	CString s(string);
	s += lpsz;
	return s;
}

CString AFXAPI operator+(LPCTSTR lpsz, const CString& string)
{
	CString s(lpsz);
	s += string;
	return s;
}

bool AFXAPI operator==(const CString& s1, LPCTSTR s2) { return s1.Compare(s2) == 0; }
