// Every suite runs as a program on the shared runtime, with an application object of its own.
#include <afxwin.h>
#include <afxole.h>
#include <gtest/gtest.h>

class CTestApp : public CWinApp
{
public:
	CTestApp() : CWinApp(_T("Mendle tests")) {}
};

CTestApp theTestApp;

int main(int argc, char** argv)
{
	AfxWinInit(::GetModuleHandle(NULL), NULL, const_cast<LPTSTR>(_T("")), SW_SHOWNORMAL);
	AfxOleInit();  // the clipboard goes through OLE, which the host initialises
	testing::InitGoogleTest(&argc, argv);
	int nResult = RUN_ALL_TESTS();
	AfxWinTerm();
	return nResult;
}
