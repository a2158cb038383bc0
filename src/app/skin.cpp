// The Win32 half of the skin layer: a thread hook that subclasses each new dialog and paints its background.
#include "app/skin.h"

#include "app/skin_format.h"
#include "platform/handles.h"
#include "platform/module_path.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace skin {
namespace {

using platform::GdiObject;
using platform::WindowsHook;

constexpr UINT_PTR kSubclassId = 0x534B4E; // any constant; tells our subclass apart from others
constexpr int kPatternWidth = 8;

COLORREF ToColorRef(Colour c) {
    return RGB(c.red, c.green, c.blue);
}

// One dialog under the skin. The brush holds the gradient at the dialog's current client height, so that
// static controls can paint the same background behind their text.
struct SkinnedDialog {
    HWND window = nullptr;
    DialogSkin look;
    int brushHeight = 0;
    GdiObject bitmap;
    GdiObject brush;
};

struct State {
    HINSTANCE instance = nullptr;
    std::string appName;
    std::optional<SkinFile> file;
    std::optional<DialogSkin> dialogSkin;
    WindowsHook hook;
    std::vector<std::unique_ptr<SkinnedDialog>> dialogs;
    std::vector<HWND> statics; // static controls of skinned dialogs, see StaticSubclassProc
};

// The layer's state between Initialise and Release.
std::unique_ptr<State> state;

// Builds the pattern brush for the dialog's current client height; kept until the height changes.
HBRUSH BackgroundBrush(SkinnedDialog& dialog) {
    RECT client{};
    GetClientRect(dialog.window, &client);
    const int height = std::max(1, static_cast<int>(client.bottom - client.top));
    if (dialog.brush && dialog.brushHeight == height) {
        return static_cast<HBRUSH>(dialog.brush.Get());
    }
    dialog.brush.Reset();
    dialog.bitmap.Reset();

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kPatternWidth;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dialog.bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dialog.bitmap || bits == nullptr) {
        return nullptr;
    }
    auto* pixels = static_cast<DWORD*>(bits);
    for (int row = 0; row < height; ++row) {
        const Colour c = GradientRow(dialog.look.backgroundTop, dialog.look.backgroundBottom, row, height);
        const DWORD pixel = (DWORD{c.red} << 16) | (DWORD{c.green} << 8) | DWORD{c.blue};
        std::fill_n(pixels + static_cast<std::size_t>(row) * kPatternWidth, kPatternWidth, pixel);
    }
    GdiFlush();
    dialog.brush.Reset(CreatePatternBrush(static_cast<HBITMAP>(dialog.bitmap.Get())));
    dialog.brushHeight = height;
    return static_cast<HBRUSH>(dialog.brush.Get());
}

// Fills the dialog's client area. The brush origin follows the DC's viewport origin, so a DC whose origin
// was moved (a control asking its parent to draw behind it) still gets the rows at the right height.
void PaintBackground(SkinnedDialog& dialog, HDC dc) {
    HBRUSH brush = BackgroundBrush(dialog);
    if (brush == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(dialog.window, &client);
    POINT viewport{};
    GetViewportOrgEx(dc, &viewport);
    POINT oldOrigin{};
    SetBrushOrgEx(dc, viewport.x, viewport.y, &oldOrigin);
    FillRect(dc, &client, brush);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (dialog.look.frame) {
        GdiObject frame(CreateSolidBrush(ToColorRef(*dialog.look.frame)));
        FrameRect(dc, &client, static_cast<HBRUSH>(frame.Get()));
    }
}

// A static control (or group box, or check box) that the dialog itself leaves at the system's default
// colours gets the skin's background behind it, aligned with the dialog's own gradient.
LRESULT StaticColours(SkinnedDialog& dialog, HDC dc, HWND control, LRESULT dialogResult) {
    const auto defaultBrush = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    if (dialogResult != 0 && dialogResult != defaultBrush) {
        return dialogResult;
    }
    HBRUSH brush = BackgroundBrush(dialog);
    if (brush == nullptr) {
        return dialogResult;
    }
    POINT origin{};
    MapWindowPoints(control, dialog.window, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
    if (dialog.look.text) {
        SetTextColor(dc, ToColorRef(*dialog.look.text)); // the default handling has set the system's colour
    }
    return reinterpret_cast<LRESULT>(brush);
}

void Forget(const SkinnedDialog* dialog) {
    if (!state) {
        return;
    }
    auto& dialogs = state->dialogs;
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [dialog](const std::unique_ptr<SkinnedDialog>& d) { return d.get() == dialog; }),
                  dialogs.end());
}

LRESULT CALLBACK DialogSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data) noexcept {
    auto& dialog = *reinterpret_cast<SkinnedDialog*>(data);
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackground(dialog, reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_PRINTCLIENT:
        if ((lParam & PRF_ERASEBKGND) != 0) {
            PaintBackground(dialog, reinterpret_cast<HDC>(wParam));
        }
        break;
    case WM_CTLCOLORSTATIC: {
        auto dc = reinterpret_cast<HDC>(wParam);
        // The skin's text colour comes first, so that a dialog which picks its own colour still wins.
        if (dialog.look.text) {
            SetTextColor(dc, ToColorRef(*dialog.look.text));
        }
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        return StaticColours(dialog, dc, reinterpret_cast<HWND>(lParam), result);
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, DialogSubclassProc, id);
        Forget(&dialog);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

bool HasClass(HWND window, const char* name) {
    char className[16] = {};
    return GetClassNameA(window, className, sizeof(className)) > 0 &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, className, -1, name, -1) == CSTR_EQUAL;
}

bool IsSkinnedDialog(HWND window) {
    return std::any_of(state->dialogs.begin(), state->dialogs.end(),
                       [window](const std::unique_ptr<SkinnedDialog>& d) { return d->window == window; });
}

// A static control drawn transparently on the skin (the main window asks for that) paints its new text
// over the old one. After a change of text, the dialog repaints its background under the control and the
// control repaints on it, so no trace of the old text stays.
LRESULT CALLBACK StaticSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR) noexcept {
    if (message == WM_SETTEXT) {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        const HWND dialog = GetParent(window);
        if (dialog != nullptr && IsWindowVisible(window)) {
            RECT area{};
            GetWindowRect(window, &area);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
            RedrawWindow(dialog, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, StaticSubclassProc, id);
        if (state) {
            std::erase(state->statics, window);
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void Attach(HWND window) {
    auto dialog = std::make_unique<SkinnedDialog>();
    dialog->window = window;
    dialog->look = *state->dialogSkin;
    state->dialogs.reserve(state->dialogs.size() + 1); // the push below cannot fail once subclassed
    if (SetWindowSubclass(window, DialogSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(dialog.get()))) {
        state->dialogs.push_back(std::move(dialog));
    }
}

void AttachStatic(HWND window) {
    state->statics.reserve(state->statics.size() + 1); // the push below cannot fail once subclassed
    if (SetWindowSubclass(window, StaticSubclassProc, kSubclassId, 0)) {
        state->statics.push_back(window);
    }
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_CREATEWND && state && state->dialogSkin) {
        const auto window = reinterpret_cast<HWND>(wParam);
        const HWND parent = reinterpret_cast<const CBT_CREATEWNDA*>(lParam)->lpcs->hwndParent;
        try {
            if (HasClass(window, "#32770")) {
                Attach(window);
            } else if (parent != nullptr && HasClass(window, "Static") && IsSkinnedDialog(parent)) {
                AttachStatic(window);
            }
        } catch (...) {
            // Out of memory: this window keeps the plain look.
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool IsAbsolutePath(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string ResolveSkinPath(const std::string& name) {
    if (IsAbsolutePath(name)) {
        return name;
    }
    const std::string folder = platform::ModuleFolder();
    if (!folder.empty() && FileExists(folder + "\\" + name)) {
        return folder + "\\" + name;
    }
    return name;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    // One byte more than a skin may hold, so that an oversized file is recognised and refused.
    std::string text(kMaxSkinFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

} // namespace

bool Initialise(HINSTANCE instance, const char* appName) {
    if (state) {
        return false;
    }
    try {
        state = std::make_unique<State>();
        state->instance = instance;
        state->appName = appName != nullptr ? appName : "";
    } catch (...) {
        state.reset();
        return false;
    }
    return true;
}

bool LoadSkinFile(const char* fileName) {
    if (!state) {
        return false;
    }
    state->file.reset();
    if (fileName == nullptr || *fileName == '\0') {
        return false;
    }
    try {
        const std::optional<std::string> text = ReadSmallFile(ResolveSkinPath(fileName));
        if (text) {
            state->file = ParseSkinFile(*text);
        }
    } catch (...) {
        state->file.reset();
    }
    return state->file.has_value();
}

bool ApplyDialogSkin(const char* skinName) {
    if (!state || !state->file || skinName == nullptr) {
        return false;
    }
    const std::optional<DialogSkin> look = FindDialogSkin(*state->file, skinName);
    if (!look) {
        return false;
    }
    if (!state->hook) {
        state->hook.Reset(SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId()));
        if (!state->hook) {
            return false;
        }
    }
    state->dialogSkin = look;
    return true;
}

void Release() {
    if (!state) {
        return;
    }
    state->hook.Reset();
    for (HWND control : state->statics) {
        RemoveWindowSubclass(control, StaticSubclassProc, kSubclassId);
    }
    for (const auto& dialog : state->dialogs) {
        RemoveWindowSubclass(dialog->window, DialogSubclassProc, kSubclassId);
        RedrawWindow(dialog->window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    state.reset();
}

} // namespace skin
