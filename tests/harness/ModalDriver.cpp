#include "ModalDriver.h"

static const int IDC_MSGBOX_TEXT = 0xFFFF, IDC_MSGBOX_ICON = 0x0440;
static const int IDC_FILENAME = 0x047C, IDC_FILETYPES = 0x0470, IDC_READONLY = 0x0410;

CModalDriver* CModalDriver::s_pCurrent = NULL;
HWND CModalDriver::s_hDeferred = NULL;

CModalDriver::CModalDriver() : m_hHook(::SetWindowsHookEx(WH_CBT, CbtProc, NULL, ::GetCurrentThreadId()))
{
	s_pCurrent = this;
}

CModalDriver::~CModalDriver()
{
	::UnhookWindowsHookEx(m_hHook);
	s_pCurrent = NULL;
}

std::vector<std::string> CModalDriver::MessageTexts() const
{
	std::vector<std::string> texts;
	for (const CModalRecord& record : m_records)
		texts.push_back(record.strText);
	return texts;
}

LRESULT CALLBACK CModalDriver::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
	if (s_pCurrent != NULL && nCode == HCBT_ACTIVATE)
		s_pCurrent->OnActivate((HWND)wParam);
	else if (s_pCurrent != NULL && nCode == HCBT_DESTROYWND)
	{
		s_pCurrent->m_handled.erase((HWND)wParam);
		s_pCurrent->m_deferred.erase((HWND)wParam);
	}
	return ::CallNextHookEx(NULL, nCode, wParam, lParam);
}

static std::string Text(HWND hWnd)
{
	char szText[1024] = "";
	::GetWindowTextA(hWnd, szText, sizeof(szText));
	return szText;
}

static bool Shows(HWND hWnd, int nID)
{
	return (::GetWindowLong(::GetDlgItem(hWnd, nID), GWL_STYLE) & WS_VISIBLE) != 0;
}

void CModalDriver::OnActivate(HWND hWnd)
{
	const bool bBox = ::GetDlgItem(hWnd, IDC_MSGBOX_TEXT) != NULL && ::GetDlgItem(hWnd, IDC_MSGBOX_ICON) != NULL;
	HWND hTypes = ::GetDlgItem(hWnd, IDC_FILETYPES);
	if (m_handled.count(hWnd) != 0 || (!bBox && ::GetDlgItem(hWnd, IDC_FILENAME) == NULL))
		return;
	// A system-modal box is activated before it has its text, a file dialog before its file
	// types: such a window is read once, when its own loop runs.
	const bool bEmpty = bBox ? Text(::GetDlgItem(hWnd, IDC_MSGBOX_TEXT)).empty() : ::SendMessage(hTypes, CB_GETCOUNT, 0, 0) <= 0;
	if (bEmpty && s_hDeferred == NULL && m_deferred.insert(hWnd).second)
	{
		s_hDeferred = hWnd;
		::SetTimer(NULL, 0, USER_TIMER_MINIMUM, OnDeferredTimer);
		return;
	}
	m_handled.insert(hWnd);
	if (!bBox)
	{
		CModalRecord record = { true, "<file dialog>", Text(hWnd), 0, "", Shows(hWnd, IDC_READONLY) };
		char szType[256];
		for (int i = 0, n = (int)::SendMessage(hTypes, CB_GETCOUNT, 0, 0); i < n; ++i)
			record.strFilter += std::string(szType, ::SendMessageA(hTypes, CB_GETLBTEXT, i, (LPARAM)szType)) + "|";
		Respond(hWnd, record, IDCANCEL);
		return;
	}
	UINT nStyle = Shows(hWnd, IDYES) ? MB_YESNO : Shows(hWnd, IDCANCEL) ? MB_OKCANCEL : MB_OK;
	HICON hIcon = (HICON)::SendDlgItemMessage(hWnd, IDC_MSGBOX_ICON, STM_GETICON, 0, 0);
	for (UINT nIcon : { MB_ICONEXCLAMATION, MB_ICONINFORMATION, MB_ICONQUESTION })
		if (hIcon == ::LoadIcon(NULL, nIcon == MB_ICONEXCLAMATION ? IDI_EXCLAMATION : nIcon == MB_ICONQUESTION ? IDI_QUESTION : IDI_ASTERISK))
			nStyle |= nIcon;
	Respond(hWnd, { false, Text(::GetDlgItem(hWnd, IDC_MSGBOX_TEXT)), Text(hWnd), nStyle, "", false }, nStyle & MB_YESNO ? IDNO : IDOK);
}

void CALLBACK CModalDriver::OnDeferredTimer(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
	::KillTimer(NULL, nIDEvent);
	HWND hWnd = s_hDeferred;
	s_hDeferred = NULL;
	if (s_pCurrent != NULL && ::IsWindow(hWnd))
		s_pCurrent->OnActivate(hWnd);
}

// Presses the queued answer's button if the next answer is for this kind of window, else the default.
void CModalDriver::Respond(HWND hWnd, CModalRecord record, int nDefault)
{
	int nButton = nDefault;
	if (!m_answers.empty() && m_answers.front().bFileDialog == record.bFileDialog)
	{
		nButton = m_answers.front().nButton;
		if (nButton == IDOK && record.bFileDialog)
			::SetDlgItemTextA(hWnd, IDC_FILENAME, m_answers.front().strPath.c_str());
		m_answers.pop_front();
	}
	m_records.push_back(record);
	if (!record.bFileDialog && m_onMessageBox)
		m_onMessageBox();
	::PostMessage(hWnd, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED), (LPARAM)::GetDlgItem(hWnd, nButton));
}

// Linux paths are reachable through drive Z:.
std::string WindowsPath(const std::string& strUnixPath)
{
	std::string strPath = "Z:" + strUnixPath;
	for (char& ch : strPath)
		ch = ch == '/' ? '\\' : ch;
	return strPath;
}
