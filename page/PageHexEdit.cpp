#include "PageHexEdit.h"

BEGIN_MESSAGE_MAP(CPageHexEdit, CHexEditBase)
END_MESSAGE_MAP()
