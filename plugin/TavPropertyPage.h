// The host's page interface and the module's exports, as the host sees them.
#pragma once

#include <afxdlgs.h>

#ifdef MENDLE_MODULE
#define MENDLE_EXPORT __declspec(dllexport)
#else
#define MENDLE_EXPORT
#endif

class ITavPropertyPage
{
public:
	MENDLE_EXPORT virtual ~ITavPropertyPage();
	virtual CPropertyPage* GetPropertyPage(CWnd* pHostWnd) = 0;
};

#define MENDLE_COMPILE_VERSION 261

typedef CPropertyPage* (WINAPI* PFN_GETPROPERTYPAGE)(CWnd* pHostWnd);
typedef LRESULT (WINAPI* PFN_RECEIVEMESSAGE)(UINT nMsg, WPARAM wParam, LPARAM lParam);
typedef UINT (WINAPI* PFN_GETCOMPILEVERSION)();
