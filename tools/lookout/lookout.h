// Reads another process's windows from outside, as a person would see them: top-level windows, the
// controls of a dialog with their texts and places, the cells of a list view and the format of its
// header's items, and a screenshot of a window's rectangle.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lookout {

struct ControlInfo {
    HWND hwnd = nullptr;
    int id = 0;
    std::string className;
    std::string text;
    RECT rect{}; // in the dialog's client coordinates, pixels
    LONG style = 0;
    LONG exStyle = 0;
    bool visible = false;
};

std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);

// Top-level windows of a process (0 = any process) whose class and caption match (empty = any).
std::vector<HWND> TopLevelWindows(DWORD processId, const std::string& className, const std::string& caption);

// The direct children of a window in Z (template) order.
std::vector<ControlInfo> Controls(HWND parent);

// One line per control: "id class 'text' x,y wxh [hidden]".
std::string DescribeDialog(HWND dialog);

// The rows of another process's list view, and the text of one of its cells (empty when it cannot be read).
// The list's questions carry pointers, so they go through a buffer in that process.
int ListViewRows(HWND list);
std::string ListViewCell(HWND list, int row, int column);

// The format flags (HDF_...) of an item of another process's header control; -1 when they cannot be read.
int HeaderItemFormat(HWND header, int item);

// The text of one part of another process's status bar (empty when it cannot be read).
std::string StatusBarPart(HWND statusBar, int part);

// Saves the screen pixels under the window's rectangle as a 24-bit BMP file. Returns false on failure.
bool SaveWindowScreenshot(HWND hwnd, const std::string& bmpPath);

} // namespace lookout
