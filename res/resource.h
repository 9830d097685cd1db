// Resource identifiers of the module.
#pragma once

#define IDS_PAGE_CAPTION        1
#define IDS_PLUGIN_TITLE        3
#define IDS_PLUGIN_KEY          4
#define IDS_PLUGIN_AUTHOR       5
#define IDS_PLUGIN_ABOUT        6
#define IDS_PLUGIN_VERSION      7

#define IDI_WARNING_SIGN        143
#define IDR_PLUGIN_MENU         1005
#define ID_PLUGIN_DISPLAY       65535

#define IDD_MENDLE_PAGE         1000
#define IDC_SHOW_SNAPSHOT       1000
#define IDC_FORMAT_SELECTED     1001
#define IDC_READ_TO_DISK        1002
#define IDC_WRITE_FROM_DISK     1003
#define IDC_POSITION1           1019
#define IDC_POSITION2           1020
#define IDC_POSITION3           1021
#define IDC_POSITION4           1022
#define IDC_SNAPSHOT            1023
#define IDC_WARNING_ICON        1024
#define IDC_TROVESAVE_NOTE      1025
#define IDC_FORMAT_ALL          1026

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
