// A module with the three exports that gives no page, built for the host version it is told.
#include <windows.h>

class CWnd;
class CPropertyPage;

extern "C" __declspec(dllexport) CPropertyPage* WINAPI GetPropertyPage(CWnd*) { return NULL; }
extern "C" __declspec(dllexport) LRESULT WINAPI ReceiveMessage(UINT, WPARAM, LPARAM) { return 1; }
extern "C" __declspec(dllexport) UINT WINAPI GetCompileVersion() { return MODULE_VERSION; }
