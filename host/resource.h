// Resource identifiers of the host program.
#pragma once

#define IDS_CARTRIDGE_CAPTION   100
#define IDD_CARTRIDGE_PAGE      100
#define IDC_CART_PRESENT        101
#define IDC_LINK_READY          102
#define IDC_BLOCKED             103
#define IDC_MULTI_POSITION      104
#define IDC_TROVESAVE           105
#define IDC_CART_ID             106
#define IDC_CART_PATH           107
#define IDC_OPEN_CART           108
#define IDC_FAULT_NOCART        109
#define IDC_FAULT_LINKDROP      110
#define IDC_FAULT_FLIPBIT       111
#define IDC_BACKUPS             112
#define IDC_RESTORE             113
#define IDC_VIEW_SAVE           114
#define IDC_START_ANEW          115
