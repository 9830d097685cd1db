// The module's application object and its module-wide values.
#pragma once

#include <afxwin.h>

class CMendlePage;

extern CWnd* g_pHostWnd;        // target of every host message
extern CMendlePage* g_pPage;    // the page that host events reach
extern DWORD g_dwLastCartId;    // cartridge last warned about Trovesave

class CMendleApp : public CWinApp
{
public:
	CMendleApp();

	virtual LRESULT ReceiveMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
	virtual UINT GetCompileVersion();

	DECLARE_MESSAGE_MAP()
};
