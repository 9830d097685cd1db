#include "ModalDriver.h"

static const int IDC_MSGBOX_TEXT = 0xFFFF, IDC_MSGBOX_ICON = 0x0440;
static const int IDC_FILENAME = 0x047C, IDC_FILETYPES = 0x0470, IDC_READONLY = 0x0410;

static std::string Text(HWND hWnd)
{
	char szText[1024] = "";
	::GetWindowTextA(hWnd, szText, sizeof(szText));
	return szText;
}

static bool Shows(HWND hWnd, int nID) { return (::GetWindowLong(::GetDlgItem(hWnd, nID), GWL_STYLE) & WS_VISIBLE) != 0; }

// Presses the queued answer's button if the next answer is for this kind of window, else the default.
void CModalDriver::OnInitDialog(HWND hWnd)
{
	const bool bBox = ::GetDlgItem(hWnd, IDC_MSGBOX_TEXT) != NULL && ::GetDlgItem(hWnd, IDC_MSGBOX_ICON) != NULL;
	if (!bBox && ::GetDlgItem(hWnd, IDC_FILENAME) == NULL)
		return;
	CModalRecord record = { !bBox, bBox ? Text(::GetDlgItem(hWnd, IDC_MSGBOX_TEXT)) : "<file dialog>" + Text(::GetDlgItem(hWnd, IDC_FILENAME)),
		Text(hWnd), 0, "", !bBox && Shows(hWnd, IDC_READONLY) };
	HWND hTypes = ::GetDlgItem(hWnd, IDC_FILETYPES);
	char szType[256];
	for (int i = 0, n = bBox ? 0 : (int)::SendMessage(hTypes, CB_GETCOUNT, 0, 0); i < n; ++i)
		record.strFilter += std::string(szType, ::SendMessageA(hTypes, CB_GETLBTEXT, i, (LPARAM)szType)) + "|";
	if (bBox)
	{
		record.nStyle = Shows(hWnd, IDCANCEL) ? (Shows(hWnd, IDYES) ? MB_YESNOCANCEL : MB_OKCANCEL) : Shows(hWnd, IDYES) ? MB_YESNO : MB_OK;
		// Buttons of any other set give a style that no test expects.
		record.nStyle |= Shows(hWnd, IDABORT) || Shows(hWnd, IDRETRY) || Shows(hWnd, IDIGNORE) || Shows(hWnd, IDYES) != Shows(hWnd, IDNO) ? 0xF : 0;
		HICON hIcon = (HICON)::SendDlgItemMessage(hWnd, IDC_MSGBOX_ICON, STM_GETICON, 0, 0);
		for (auto icon : { std::make_pair(MB_ICONEXCLAMATION, IDI_EXCLAMATION), std::make_pair(MB_ICONINFORMATION, IDI_ASTERISK),
			std::make_pair(MB_ICONQUESTION, IDI_QUESTION) })
			record.nStyle |= hIcon == ::LoadIcon(NULL, icon.second) ? icon.first : 0;
	}
	int nButton = bBox ? (record.nStyle & MB_YESNO ? IDNO : IDOK) : IDCANCEL;
	if (!m_answers.empty() && m_answers.front().bFileDialog == record.bFileDialog)
	{
		nButton = m_answers.front().nButton;
		if (nButton == IDOK && record.bFileDialog)
			::SetDlgItemTextA(hWnd, IDC_FILENAME, m_answers.front().strPath.c_str());
		if (m_nFileType != 0 && record.bFileDialog)
			::SendMessage(hTypes, CB_SETCURSEL, m_nFileType - 1, 0),
				::SendMessage(hWnd, WM_COMMAND, MAKEWPARAM(IDC_FILETYPES, CBN_SELENDOK), (LPARAM)hTypes);
		m_answers.pop_front();
	}
	m_records.push_back(record);
	if (bBox && m_onMessageBox)
		m_onMessageBox();
	::PostMessage(hWnd, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED), (LPARAM)::GetDlgItem(hWnd, nButton));
}
