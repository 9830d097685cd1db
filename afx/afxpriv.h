// The runtime's private messages that applications may handle.
#pragma once

#include "afxwin.h"

#define WM_KICKIDLE 0x036A  // wParam MSGF_DIALOGBOX, lParam the idle count; nonzero asks for more
