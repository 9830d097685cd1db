#include "ModalDriver.h"
#include <gtest/gtest.h>

static const int IDC_MSGBOX_TEXT = 0xFFFF;
static const int IDC_MSGBOX_ICON = 0x0440;
static const int IDC_FILENAME = 0x047C;
static const int IDC_FILETYPES = 0x0470;
static const int IDC_READONLY = 0x0410;

CModalDriver* CModalDriver::s_pCurrent = NULL;
HWND CModalDriver::s_hDeferred = NULL;

CModalDriver::CModalDriver()
	: m_hHook(::SetWindowsHookEx(WH_CBT, CbtProc, NULL, ::GetCurrentThreadId()))
{
	s_pCurrent = this;
}

CModalDriver::~CModalDriver()
{
	::UnhookWindowsHookEx(m_hHook);
	s_pCurrent = NULL;
}

void CModalDriver::AnswerMessageBox(int nAnswer)
{
	m_answers.push_back({ CModalRecord::messageBox, nAnswer, std::string() });
}

void CModalDriver::AnswerFileDialog(const std::string& strPath)
{
	m_answers.push_back({ CModalRecord::fileDialog, strPath.empty() ? IDCANCEL : IDOK, strPath });
}

std::vector<std::string> CModalDriver::MessageTexts() const
{
	std::vector<std::string> texts;
	for (const CModalRecord& record : m_records)
		texts.push_back(record.nKind == CModalRecord::messageBox ? record.strText : "<file dialog>");
	return texts;
}

LRESULT CALLBACK CModalDriver::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
	if (s_pCurrent != NULL)
	{
		if (nCode == HCBT_ACTIVATE)
			s_pCurrent->OnActivate((HWND)wParam);
		else if (nCode == HCBT_DESTROYWND)
		{
			s_pCurrent->m_handled.erase((HWND)wParam);
			s_pCurrent->m_deferred.erase((HWND)wParam);
		}
	}
	return ::CallNextHookEx(NULL, nCode, wParam, lParam);
}

static std::string ItemText(HWND hWnd, int nID);

void CModalDriver::OnActivate(HWND hWnd)
{
	const bool bBox = ::GetDlgItem(hWnd, IDC_MSGBOX_TEXT) != NULL && ::GetDlgItem(hWnd, IDC_MSGBOX_ICON) != NULL;
	if (m_handled.count(hWnd) != 0 || (!bBox && ::GetDlgItem(hWnd, IDC_FILENAME) == NULL))
		return;
	// A system-modal box is activated before it has its text, a file dialog before its file
	// types: such a window is read once, when its own loop runs.
	const bool bEmpty = bBox ? ItemText(hWnd, IDC_MSGBOX_TEXT).empty()
		: ::SendDlgItemMessage(hWnd, IDC_FILETYPES, CB_GETCOUNT, 0, 0) <= 0;
	if (bEmpty && s_hDeferred == NULL && m_deferred.insert(hWnd).second)
	{
		s_hDeferred = hWnd;
		::SetTimer(NULL, 0, USER_TIMER_MINIMUM, OnDeferredTimer);
		return;
	}
	if (bBox)
		OnMessageBox(hWnd);
	else
		OnFileDialog(hWnd);
	m_handled.insert(hWnd);
}

void CALLBACK CModalDriver::OnDeferredTimer(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
	::KillTimer(NULL, nIDEvent);
	HWND hWnd = s_hDeferred;
	s_hDeferred = NULL;
	if (s_pCurrent != NULL && ::IsWindow(hWnd))
		s_pCurrent->OnActivate(hWnd);
}

bool CModalDriver::PopAnswer(CModalRecord::Kind nKind, Answer& answer)
{
	if (m_answers.empty() || m_answers.front().nKind != nKind)
		return false;
	answer = m_answers.front();
	m_answers.pop_front();
	return true;
}

static bool HasButton(HWND hWnd, int nID)
{
	HWND hButton = ::GetDlgItem(hWnd, nID);
	return hButton != NULL && (::GetWindowLong(hButton, GWL_STYLE) & WS_VISIBLE) != 0;
}

static std::string ItemText(HWND hWnd, int nID)
{
	char szText[1024] = "";
	::GetDlgItemTextA(hWnd, nID, szText, sizeof(szText));
	return szText;
}

void CModalDriver::OnMessageBox(HWND hWnd)
{
	char szTitle[256] = "";
	::GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
	CModalRecord record = { CModalRecord::messageBox, ItemText(hWnd, IDC_MSGBOX_TEXT), szTitle, 0, MB_OK, false, "", false };
	HICON hIcon = (HICON)::SendDlgItemMessage(hWnd, IDC_MSGBOX_ICON, STM_GETICON, 0, 0);
	if (hIcon == ::LoadIcon(NULL, IDI_EXCLAMATION))
		record.nIcon = MB_ICONEXCLAMATION;
	else if (hIcon == ::LoadIcon(NULL, IDI_ASTERISK))
		record.nIcon = MB_ICONINFORMATION;
	else if (hIcon == ::LoadIcon(NULL, IDI_QUESTION))
		record.nIcon = MB_ICONQUESTION;
	if (HasButton(hWnd, IDYES) && HasButton(hWnd, IDNO))
		record.nButtons = MB_YESNO;
	else if (HasButton(hWnd, IDCANCEL))
		record.nButtons = MB_OKCANCEL;

	Answer answer;
	record.bAnswered = PopAnswer(CModalRecord::messageBox, answer);
	int nButton = record.bAnswered ? answer.nButton : (record.nButtons == MB_YESNO ? IDNO : IDOK);
	m_records.push_back(record);
	if (m_onMessageBox)
		m_onMessageBox();
	::PostMessage(hWnd, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED), (LPARAM)::GetDlgItem(hWnd, nButton));
}

void CModalDriver::OnFileDialog(HWND hWnd)
{
	char szTitle[256] = "";
	::GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
	CModalRecord record = { CModalRecord::fileDialog, szTitle, std::string(), 0, 0, false, "", HasButton(hWnd, IDC_READONLY) };
	HWND hTypes = ::GetDlgItem(hWnd, IDC_FILETYPES);
	for (int i = 0, n = (int)::SendMessage(hTypes, CB_GETCOUNT, 0, 0); i < n; ++i)
	{
		char szType[256] = "";
		::SendMessageA(hTypes, CB_GETLBTEXT, i, (LPARAM)szType);
		record.strFilter += std::string(szType) + "|";
	}
	Answer answer;
	record.bAnswered = PopAnswer(CModalRecord::fileDialog, answer);
	int nButton = record.bAnswered ? answer.nButton : IDCANCEL;
	if (nButton == IDOK)
		::SetDlgItemTextA(hWnd, IDC_FILENAME, answer.strPath.c_str());
	m_records.push_back(record);
	::PostMessage(hWnd, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED), (LPARAM)::GetDlgItem(hWnd, nButton));
}

// Linux paths are reachable through drive Z:.
std::string WindowsPath(const std::string& strUnixPath)
{
	std::string strPath = "Z:" + strUnixPath;
	for (char& ch : strPath)
		if (ch == '/')
			ch = '\\';
	return strPath;
}
