// Answers the modal windows a test provokes, message boxes and file dialogs, and records them as
// they appear; unexpected ones are recorded too and closed, so that no test waits for a person.
#pragma once

#include <afxwin.h>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct CModalRecord
{
	bool bFileDialog;
	std::string strText;    // a message box's text; for a file dialog "<file dialog>" and its initial name
	std::string strTitle;
	UINT nStyle;            // a box's icon and buttons, as MessageBox takes them
	std::string strFilter;  // a file dialog's file types, each followed by '|'
	bool bReadOnlyBox;      // a file dialog's "read-only" check box shows
};

class CModalDriver
{
public:
	CModalDriver() : m_hHook(::SetWindowsHookEx(WH_CALLWNDPROCRET, CallWndRetProc, NULL, ::GetCurrentThreadId())) { s_pCurrent = this; }
	~CModalDriver() { ::UnhookWindowsHookEx(m_hHook), s_pCurrent = NULL; }

	void AnswerMessageBox(int nButton) { m_answers.push_back({ false, nButton, std::string() }); }
	void AnswerFileDialog(const std::string& strPath) { m_answers.push_back({ true, strPath.empty() ? IDCANCEL : IDOK, strPath }); }
	size_t UnusedAnswers() const { return m_answers.size(); }
	std::vector<std::string> MessageTexts() const
	{
		std::vector<std::string> texts;
		for (const CModalRecord& record : m_records)
			texts.push_back(record.strText);
		return texts;
	}

	std::vector<CModalRecord> m_records;
	std::function<void()> m_onMessageBox;  // called while each message box is up
	int m_nFileType = 0;  // when not 0, the file type (from 1) that file dialogs are answered with
	std::map<HWND, LRESULT> m_initDialogAnswers;  // what each dialog's procedure answered to WM_INITDIALOG

private:
	struct Answer { bool bFileDialog; int nButton; std::string strPath; };

	// A dialog is read once its initialisation has filled it in.
	static LRESULT CALLBACK CallWndRetProc(int nCode, WPARAM wParam, LPARAM lParam)
	{
		const CWPRETSTRUCT* pMsg = (const CWPRETSTRUCT*)lParam;
		if (s_pCurrent != NULL && nCode == HC_ACTION && pMsg->message == WM_INITDIALOG)
			s_pCurrent->m_initDialogAnswers[pMsg->hwnd] = pMsg->lResult, s_pCurrent->OnInitDialog(pMsg->hwnd);
		return ::CallNextHookEx(NULL, nCode, wParam, lParam);
	}
	void OnInitDialog(HWND hWnd);

	HHOOK m_hHook;
	std::deque<Answer> m_answers;
	inline static CModalDriver* s_pCurrent = NULL;
};
