// Resource identifiers of Quillory, shared by the resource script and code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128

#define IDC_APPLY 3
#define IDC_ONLINE 4
#define IDC_PREFIX_LIST 1000
#define IDC_PREFIX_EDIT 1001
#define IDC_ADD 1002
#define IDC_REMOVE 1003
#define IDC_URL_COMBO 1005
#define IDC_INFOTEXT 1008

// System-menu command of the About box; its low four bits must be clear.
#define IDM_ABOUTBOX 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
