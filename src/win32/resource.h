#pragma once
// Resource and control identifiers of the dialogs' windows, shared by the
// resource script, the views and the tests that drive them.

#define IDD_VELL 100
#define IDD_VELL_DEPENDENCIES 101
#define IDD_VELL_ABOUT 102
#define IDR_VELL_MENU 110

// The main dialog. cmdCancel is IDCANCEL, so Escape is a click on it.
#define IDC_LBL_SOURCE 1001
#define IDC_LST_SOURCE_DOCS 1002
#define IDC_LBL_TARGET 1003
#define IDC_LST_TARGET_DOCS 1004
#define IDC_LBL_STYLE_TYPES 1005
#define IDC_CMB_STYLE_TYPES 1006
#define IDC_LBL_STYLES 1007
#define IDC_LST_STYLES 1008
#define IDC_LBL_DESC 1009
#define IDC_CMD_COPY 1010
#define IDC_CMD_UPDATE 1011
#define IDC_IMG_HB 1012
#define IDC_STATUS_BAR 1013

#define IDM_GET_STARTED 1101
#define IDM_USING 1102
#define IDM_ABOUT 1103

// The dependencies dialog. cmdOK is IDOK and cmdCancel IDCANCEL.
#define IDC_LBL_INSTRUX 1201
#define IDC_LBL_BASED 1202
#define IDC_LST_BASED 1203
#define IDC_LBL_FOLLOW 1204
#define IDC_LST_FOLLOW 1205

// The About box. cmdOK is IDOK.
#define IDC_IMG_ABOUT 1301
#define IDC_LBL_ABOUT 1302
