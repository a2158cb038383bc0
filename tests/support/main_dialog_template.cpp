#include "main_dialog_template.h"

#include <vector>

#include "files.h"

namespace testsupport {

MainDialogTemplate::MainDialogTemplate() {
    module_ = LoadLibraryExA((BinDir() + "\\Brisklane.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module_ ? FindResourceA(module_, MAKEINTRESOURCEA(IDD_HOLLOWMERE_DIALOG), RT_DIALOG) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
    const auto* resource = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (resource == nullptr) {
        return;
    }
    // Created from a copy, with a procedure that handles nothing: only the font and the units are wanted,
    // so the controls' classes need not be the program's.
    std::vector<BYTE> copy(resource, resource + SizeofResource(module_, found));
    dialog_ = CreateDialogIndirectParamA(
        GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (dialog_ != nullptr) {
        ShowWindow(dialog_, SW_HIDE);
    }
}

MainDialogTemplate::~MainDialogTemplate() {
    if (dialog_ != nullptr) {
        DestroyWindow(dialog_);
    }
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

HFONT MainDialogTemplate::Font() const {
    return dialog_ ? reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0)) : nullptr;
}

RECT MainDialogTemplate::ToPixels(const DialogControl& control) const {
    RECT r{control.x, control.y, control.cx, control.cy};
    MapDialogRect(dialog_, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

} // namespace testsupport
