// Resource identifiers of the widgets' Win32 test program (shared by its resource script and its tests).
#ifndef WIDGETS_TEST_RESOURCES_H
#define WIDGETS_TEST_RESOURCES_H

#define IDR_TEST_TRAYMENU 129
#define IDR_TEST_MENU_WITHOUT_POPUP 130
#define IDR_TEST_NO_SUCH_MENU 131

#define ID_TEST_FIRST 40001
#define ID_TEST_SECOND 40002
#define ID_TEST_EXIT 40003
#define ID_TEST_ABOUT 40004
#define ID_TEST_PLAIN 40005

#define IDI_TEST_FIRST 201
#define IDI_TEST_SECOND 202

#define IDS_TEST_TIP 301
#define IDS_TEST_NO_SUCH_STRING 302

#endif
