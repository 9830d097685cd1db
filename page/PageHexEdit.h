// The snapshot control of the save-game page.
#pragma once

#include "../hexedit/HexEditBase.h"

class CPageHexEdit : public CHexEditBase
{
	DECLARE_MESSAGE_MAP()
};
