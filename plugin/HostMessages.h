// The numbered messages exchanged with the host window, and the cartridge status record.
#pragma once

#include <afxwin.h>
#include <cstddef>

// Page to host
#define HM_QUERYSTATUS      0x8105  // wParam: CARTSTATUS*
#define HM_PREPARETRANSFER  0x811B
#define HM_READSAVE         0x8115  // wParam: save image, lParam: position 0..3
#define HM_WRITESAVE        0x8116  // wParam: save image, lParam: position 0..3

// Host to page, through ReceiveMessage
#define HM_STATUSCHANGED    0x8004
#define HM_FIRSTHOSTEVENT   0x8001
#define HM_LASTHOSTEVENT    0x811D

#define TROVESAVE_MAGIC     0x35314742  // the bytes 'B' 'G' '1' '5'

#define SAVE_POSITION_SIZE  65536
#define SAVE_POSITION_COUNT 4

// Filled by the host on HM_QUERYSTATUS; the bytes between the fields belong to the host.
struct CARTSTATUS
{
	BYTE abHost0[2];
	BYTE bLinkReady;
	BYTE bCartPresent;
	BYTE abHost4[260];
	DWORD dwMultiPosition;
	BYTE abHost268[268];
	DWORD dwBlocked;
	BYTE abHost540[20];
	DWORD dwCartId;
	BYTE abHost564[4];
	DWORD dwTrovesaveMagic;
};

static_assert(offsetof(CARTSTATUS, bLinkReady) == 2, "CARTSTATUS layout");
static_assert(offsetof(CARTSTATUS, bCartPresent) == 3, "CARTSTATUS layout");
static_assert(offsetof(CARTSTATUS, dwMultiPosition) == 264, "CARTSTATUS layout");
static_assert(offsetof(CARTSTATUS, dwBlocked) == 536, "CARTSTATUS layout");
static_assert(offsetof(CARTSTATUS, dwCartId) == 560, "CARTSTATUS layout");
static_assert(offsetof(CARTSTATUS, dwTrovesaveMagic) == 568, "CARTSTATUS layout");
static_assert(sizeof(CARTSTATUS) == 572, "CARTSTATUS size");
