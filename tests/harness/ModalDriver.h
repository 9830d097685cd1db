// Answers the modal windows a test provokes: message boxes and file dialogs, recorded as they
// appear. Unexpected ones are recorded too and closed, so that no test waits for a person.
#pragma once

#include <afxwin.h>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

struct CModalRecord
{
	enum Kind { messageBox, fileDialog };
	Kind nKind;
	std::string strText;   // a message box's text, a file dialog's title
	std::string strTitle;  // a message box's title
	UINT nIcon;            // MB_ICONEXCLAMATION, MB_ICONINFORMATION, MB_ICONQUESTION or 0
	UINT nButtons;         // MB_OK, MB_YESNO or MB_OKCANCEL
	bool bAnswered;        // an answer was queued for it
	std::string strFilter; // a file dialog's file types, each followed by '|'
	bool bReadOnlyBox;     // a file dialog's "read-only" check box shows
};

class CModalDriver
{
public:
	CModalDriver();
	~CModalDriver();

	void AnswerMessageBox(int nAnswer);
	void AnswerFileDialog(const std::string& strPath); // an empty path cancels the dialog

	std::vector<std::string> MessageTexts() const;
	size_t UnusedAnswers() const { return m_answers.size(); }

	std::vector<CModalRecord> m_records;
	std::function<void()> m_onMessageBox;  // called while each message box is up

private:
	struct Answer
	{
		CModalRecord::Kind nKind;
		int nButton;
		std::string strPath;
	};

	static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
	static void CALLBACK OnDeferredTimer(HWND hWnd, UINT nMsg, UINT_PTR nIDEvent, DWORD dwTime);
	void OnActivate(HWND hWnd);
	void OnMessageBox(HWND hWnd);
	void OnFileDialog(HWND hWnd);
	bool PopAnswer(CModalRecord::Kind nKind, Answer& answer);

	HHOOK m_hHook;
	std::deque<Answer> m_answers;
	std::set<HWND> m_handled;
	std::set<HWND> m_deferred;
	static CModalDriver* s_pCurrent;
	static HWND s_hDeferred;
};

std::string WindowsPath(const std::string& strUnixPath);
