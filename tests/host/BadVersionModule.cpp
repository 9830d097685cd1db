// A module with the three exports but built for another host version.
#include <windows.h>

class CWnd;
class CPropertyPage;

extern "C" __declspec(dllexport) CPropertyPage* WINAPI GetPropertyPage(CWnd*)
{
	return NULL;
}

extern "C" __declspec(dllexport) LRESULT WINAPI ReceiveMessage(UINT, WPARAM, LPARAM)
{
	return 1;
}

extern "C" __declspec(dllexport) UINT WINAPI GetCompileVersion()
{
	return 260;
}
