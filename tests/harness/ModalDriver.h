// Answers the modal windows a test provokes, message boxes and file dialogs, and records them as
// they appear; unexpected ones are recorded too and closed, so that no test waits for a person.
#pragma once

#include <afxwin.h>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct CModalRecord
{
	bool bFileDialog;
	std::string strText;    // a message box's text, "<file dialog>" for a file dialog
	std::string strTitle;
	UINT nStyle;            // a box's icon and buttons, as MessageBox takes them
	std::string strFilter;  // a file dialog's file types, each followed by '|'
	bool bReadOnlyBox;      // a file dialog's "read-only" check box shows
};

class CModalDriver
{
public:
	CModalDriver();
	~CModalDriver();

	void AnswerMessageBox(int nButton) { m_answers.push_back({ false, nButton, std::string() }); }
	void AnswerFileDialog(const std::string& strPath) { m_answers.push_back({ true, strPath.empty() ? IDCANCEL : IDOK, strPath }); }
	std::vector<std::string> MessageTexts() const;
	size_t UnusedAnswers() const { return m_answers.size(); }

	std::vector<CModalRecord> m_records;
	std::function<void()> m_onMessageBox;  // called while each message box is up

private:
	struct Answer
	{
		bool bFileDialog;
		int nButton;
		std::string strPath;
	};

	static LRESULT CALLBACK CallWndRetProc(int nCode, WPARAM wParam, LPARAM lParam);
	void OnInitDialog(HWND hWnd);

	HHOOK m_hHook;
	std::deque<Answer> m_answers;
	static CModalDriver* s_pCurrent;
};

std::string WindowsPath(const std::string& strUnixPath);
