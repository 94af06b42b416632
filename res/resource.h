// Resource identifiers of Quillory, shared by the resource script and code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDS_IMPORT_PREFIXES 103
#define IDS_EXPORT_PREFIXES 104
#define IDS_IMPORT_FROM_BROWSER 105
#define IDD_BROWSER_IMPORT 106
#define IDR_MAINFRAME 128
#define IDR_PREFIX_MENU 129

#define IDC_APPLY 3
#define IDC_ONLINE 4
#define IDC_PREFIX_LIST 1000
#define IDC_PREFIX_EDIT 1001
#define IDC_ADD 1002
#define IDC_REMOVE 1003
#define IDC_URL_COMBO 1005
#define IDC_INFOTEXT 1008
#define IDC_BROWSER_LIST 1010
#define IDC_BROWSER_SUMMARY 1011

// System-menu commands; their low four bits must be clear.
#define IDM_ABOUTBOX 0x0010
#define IDM_IMPORT 0x0020
#define IDM_EXPORT 0x0030
#define IDM_IMPORT_BROWSER 0x0040

// Commands of the prefix list's context menu.
#define ID_PREFIX_RENAME 32771
#define ID_PREFIX_REMOVE 32772
#define ID_PREFIX_TRY_SEARCH 32773
#define ID_FILE_IMPORT 32774
#define ID_FILE_EXPORT 32775
#define ID_FILE_IMPORT_BROWSER 32776

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
