// Resource identifiers of the framework tests' own dialog and menu.
#pragma once

#define IDD_FW_TEST 200
#define IDR_FW_TEST_MENU 300
#define IDC_FW_EDIT 2001
#define IDC_FW_LABEL 2002
#define IDC_FW_BUTTON 2003
#define IDC_FW_COMBO 2004
#define IDC_FW_LIST 2005
#define ID_FW_FIRST 40001
#define ID_FW_SECOND 40002
#define ID_FW_THIRD 40003
