// Standard command and resource identifiers of the MFC-compatible runtime.
#pragma once

#define AFX_IDS_APP_TITLE       0xE000
#define AFX_IDP_INTERNAL_FAILURE 0xF108
#define AFX_IDP_COMMAND_FAILURE 0xF109
#define ID_EDIT_COPY            0xE122
#define ID_EDIT_PASTE           0xE125
#define ID_EDIT_SELECT_ALL      0xE12A
#define AFX_IDW_PANE_FIRST      0xE900
