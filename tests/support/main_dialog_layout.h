// The main dialog's controls as its template lays them out, written once for the checks that need them:
// the template's bytes, the dialog as the system creates it, and the window of the running program.
#pragma once

#include <windows.h>

#include <string_view>

#include "res/resource.h"

namespace testsupport {

// The dialog itself: caption, styles, size in dialog units and font.
struct DialogFrame {
    const char* caption;
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    WORD pointSize;
    const char* typeface;
};

inline constexpr DialogFrame kMainDialogFrame = {
    "Brisklane",
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SHELLFONT,
    WS_EX_APPWINDOW | WS_EX_CLIENTEDGE,
    269,
    204,
    8,
    "MS Shell Dlg",
};

constexpr DWORD kStaticId = static_cast<DWORD>(-1); // labels and frames

struct DialogControl {
    DWORD id;
    const char* className;
    const char* text;          // the template's text; nullptr: any text but an empty one
    short x, y, cx, cy;        // dialog units
    DWORD style;               // without WS_CHILD | WS_VISIBLE, which every control has
    bool setAtRunTime = false; // the running program shows a text of its own
};

// In template order, which is the tab order.
inline constexpr DialogControl kMainDialogLayout[] = {
    {IDC_ACCELERATE, "Button", "ACCELLERATE!", 26, 16, 155, 33,
     BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_LEFT | BS_MULTILINE | WS_TABSTOP, true},
    {IDC_RUN_CLIENT, "Button", "&Run Quillfin", 213, 16, 37, 33, BS_PUSHBUTTON | BS_CENTER | BS_MULTILINE | WS_TABSTOP},
    {IDCANCEL, "Button", "&Minimize", 213, 52, 37, 33, BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP},
    {IDC_QUIT, "Button", "&Quit", 213, 88, 37, 33, BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP},
    {IDC_CHECK_PERIOD, "Edit", "", 91, 62, 17, 12, ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
    {IDC_CHECK_PERIOD_UNIT, "ComboBox", "", 130, 62, 51, 64, CBS_DROPDOWNLIST | WS_TABSTOP, true},
    {IDC_ACCELERATE_N, "Edit", "", 91, 81, 17, 12, ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
    {kStaticId, "Static", "downloads", 146, 83, 37, 8, SS_LEFT | WS_GROUP},
    {kStaticId, "Static", "Check period", 26, 64, 46, 8, SS_LEFT | WS_GROUP},
    {kStaticId, "Static", "Accelerate first", 26, 83, 54, 8, SS_LEFT | WS_GROUP},
    {IDC_FOOTER, "Static", "Brisklane: raw receive-all socket and live interface statistics", 3, 190, 261, 8,
     SS_CENTER | WS_GROUP, true},
    {kStaticId, "Static", "Duration", 11, 169, 30, 8, SS_LEFT | WS_GROUP},
    {kStaticId, "Static", "Bytes Sent", 127, 145, 45, 8, SS_LEFT | WS_GROUP},
    {kStaticId, "Static", "Bytes Received", 124, 157, 53, 8, SS_LEFT | WS_GROUP},
    {IDC_DURATION, "Static", "Static", 41, 169, 83, 10, SS_LEFT | SS_SUNKEN | WS_GROUP, true},
    {IDC_BYTES_RECEIVED, "Static", "Static", 177, 157, 83, 10, SS_LEFT | SS_SUNKEN | WS_GROUP, true},
    {IDC_BYTES_SENT, "Static", "Static", 177, 145, 83, 10, SS_LEFT | SS_SUNKEN | WS_GROUP, true},
    {IDC_STATUS, "Static", "Status", 41, 157, 83, 10, SS_LEFT | SS_SUNKEN | WS_GROUP, true},
    {kStaticId, "Static", "Status", 11, 157, 28, 8, SS_LEFT | WS_GROUP},
    {IDC_TYPE, "Static", "Status", 41, 145, 83, 10, SS_LEFT | SS_SUNKEN | WS_GROUP, true},
    {IDC_TYPE_LABEL, "Static", "Type", 11, 145, 28, 8, SS_LEFT | WS_GROUP},
    {kStaticId, "Button", "Acceleration Settings", 8, 4, 194, 124, BS_GROUPBOX},
    {kStaticId, "Button", "Statistics", 7, 135, 256, 50, BS_GROUPBOX},
    {kStaticId, "Static", "", 12, 55, 185, 1, SS_LEFT | SS_SUNKEN},
    {kStaticId, "Static", "DurationAcc", 127, 169, 45, 8, SS_LEFT | WS_GROUP},
    {IDC_ACCEL_DURATION, "Static", "Static", 177, 169, 83, 10, SS_LEFT | SS_SUNKEN | WS_GROUP, true},
    {kStaticId, "Button", "", 206, 4, 54, 124, BS_GROUPBOX},
    {IDC_NETWORK, "ComboBox", "", 73, 110, 124, 100, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, true},
    {IDC_NETWORK_LABEL, "Static", "Network Interface", 9, 112, 64, 8, SS_LEFT | WS_GROUP},
    {kStaticId, "Static", "", 12, 101, 185, 1, SS_LEFT | SS_SUNKEN},
};

// A combo box's template height is its height with the list dropped down; its window has the closed one.
[[nodiscard]] inline bool HeightIsDroppedDown(const DialogControl& control) {
    return std::string_view(control.className) == "ComboBox";
}

} // namespace testsupport
