// The main dialog's template, loaded from Brisklane.exe and created hidden in the test's own process: the
// running program's font handle does not cross processes, but the same template gives the same font and
// the same conversion of dialog units to pixels.
#pragma once

#include <windows.h>

#include "main_dialog_layout.h"

namespace testsupport {

class MainDialogTemplate {
public:
    MainDialogTemplate();
    ~MainDialogTemplate();
    MainDialogTemplate(const MainDialogTemplate&) = delete;
    MainDialogTemplate& operator=(const MainDialogTemplate&) = delete;

    [[nodiscard]] bool Ready() const { return dialog_ != nullptr; }
    // The font the template's controls draw with; null when the template could not be created.
    [[nodiscard]] HFONT Font() const;
    // Where the dialog manager places `control`: it converts the position and the size separately, as this does.
    [[nodiscard]] RECT ToPixels(const DialogControl& control) const;

private:
    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
};

} // namespace testsupport
