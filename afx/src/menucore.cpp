#include "afximpl.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::CMenu() : m_hMenu(NULL) {}

CMenu::~CMenu()
{
	DestroyMenu();
}

BOOL CMenu::Attach(HMENU hMenu)
{
	if (hMenu == NULL)
		return FALSE;
	m_hMenu = hMenu;
	return TRUE;
}

HMENU CMenu::Detach()
{
	HMENU hMenu = m_hMenu;
	m_hMenu = NULL;
	return hMenu;
}

BOOL CMenu::DestroyMenu()
{
	if (m_hMenu == NULL)
		return FALSE;
	return ::DestroyMenu(Detach());
}
