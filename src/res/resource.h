// Identifiers of the program's resources: shared by the resource script and the C++ code.
// Only plain #define lines here, so that both the resource compiler and the C++ compiler can read it.
#ifndef BRISKLANE_RES_RESOURCE_H
#define BRISKLANE_RES_RESOURCE_H

// Version of the product, used by the version resource and the About box.
#define BRISKLANE_VERSION_MAJOR 4
#define BRISKLANE_VERSION_MINOR 5
#define BRISKLANE_VERSION_PATCH 0
#define BRISKLANE_VERSION_BUILD 0
#define BRISKLANE_VERSION_TEXT "4.5.0"
#define BRISKLANE_PRODUCT_NAME "Brisklane"

// Dialog templates, strings, icon and menu.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_HOLLOWMERE_DIALOG 102
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 129

// Resource type of a dialog's initialisation data (combo-box items added when the dialog is created).
#define RT_BRISKLANE_DLGINIT 240

// Controls of the main dialog. Minimize carries the dialog's cancel identifier (IDCANCEL, 2).
#define IDC_RUN_CLIENT 3
#define IDC_ACCELERATE 1001
#define IDC_ACCELERATE_N 1004
#define IDC_CHECK_PERIOD 1005
#define IDC_CHECK_PERIOD_UNIT 1006
#define IDC_QUIT 1007
#define IDC_DURATION 1009
#define IDC_BYTES_RECEIVED 1011
#define IDC_BYTES_SENT 1012
#define IDC_STATUS 1015
#define IDC_TYPE 1016
#define IDC_TYPE_LABEL 1017
#define IDC_ACCEL_DURATION 1022
#define IDC_NETWORK 1024
#define IDC_NETWORK_LABEL 1025
// The footer line across the bottom of the main dialog; it has an id so the window can show a status there.
#define IDC_FOOTER 1030

// Commands of the tray menu.
#define ID_APP_ABOUT_MENU 32776
#define ID_RUN_AT_STARTUP 32781
#define ID_AUTO_RESUME 32785
#define ID_APP_EXIT_MENU 32786
#define ID_SAFETY_PAGE 32792
#define ID_HELP_PAGE 32793
#define ID_FILE_SHARING_PAGE 32794
#define ID_ANONYMITY_PAGE 32795
#define ID_MUSIC_OFFER 32796
#define ID_MEDIA_OFFER 32797

// The About item added to the system menu; system commands keep the low four bits free.
#define IDM_ABOUTBOX 0x0010

#endif
