// A program that copies from a hex control and ends at once, as a user's program might.
#include "hexedit/HexEditBase.h"

class CWriterApp : public CWinApp
{
public:
	CWriterApp() : CWinApp(_T("Clipboard writer")) {}

	BOOL InitInstance() override
	{
		AfxOleInit();
		CWnd parent;
		parent.CreateEx(0, AfxRegisterWndClass(0), _T("writer"), WS_POPUP, 0, 0, 200, 100, NULL, NULL);
		CHexEditBase control;
		control.Create(NULL, WS_CHILD | ES_MULTILINE, CRect(0, 0, 200, 100), &parent, 1);
		static const BYTE s_abData[] = { 0x00, 0x41, 0xFF, 0x00 };
		control.SetData(s_abData, sizeof(s_abData), FALSE);
		control.SetSelection(0, 3, FALSE, FALSE);
		control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
		control.DestroyWindow();
		parent.DestroyWindow();
		return FALSE;
	}
};

CWriterApp theApp;
