// Resource identifiers of Velmora.exe, shared by velmora.rc and the code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128

// Control IDs; the tool-tip strings carry the number of their control.
#define IDC_GENERATE 1000
#define IDC_INPUT_PATH 1001
#define IDC_BROWSE_INPUT 1002
#define IDC_OUTPUT_PATH 1003
#define IDC_BROWSE_OUTPUT 1004
#define IDC_POINT_CODE 1005
#define IDC_LAYOUT 1006
#define IDC_SEPARATOR 1007
#define IDC_PREVIEW 1008
#define IDC_KERG_CHECK 1009
#define IDC_KERG_NUMBER 1010
#define IDC_ZUDP_CHECK 1011
#define IDC_ZUDP_NUMBER 1012

// The About entry of the system menu.
#define IDM_ABOUTBOX 0x0010
