// The program's resources as linked into a module: both dialog templates byte for byte, the main dialog as
// the system creates it, the tray menu, the About string, the icon images, the version and the manifest.
#include "main_dialog_layout.h"
#include "platform/module_path.h"
#include "res/resource.h"
#include "res_template_reader.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using testsupport::DialogControl;
using testsupport::kMainDialogFrame;
using testsupport::kMainDialogLayout;
using testsupport::kStaticId;

constexpr DWORD kVisibleChild = WS_CHILD | WS_VISIBLE;

const DialogControl kAboutControls[] = {
    {IDOK, "Button", "&OK", 68, 49, 50, 18, BS_PUSHBUTTON | BS_CENTER | WS_GROUP | WS_TABSTOP},
    {kStaticId, "Static", "Brisklane 4.5.0", 0, 14, 184, 11, SS_CENTER | SS_CENTERIMAGE | WS_GROUP},
    {kStaticId, "Static", nullptr, 0, 29, 184, 16, SS_CENTER | WS_GROUP}, // vendor line: any text
};

HMODULE Module() {
    return GetModuleHandleA(nullptr);
}

template <std::size_t N>
void ExpectControls(const res_test::DialogTemplate& dialog, const DialogControl (&expected)[N]) {
    ASSERT_EQ(dialog.items.size(), N);
    for (std::size_t i = 0; i < N; ++i) {
        const res_test::TemplateItem& item = dialog.items[i];
        const DialogControl& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " '" + item.text + "'");
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.className, want.className);
        if (want.text != nullptr) {
            EXPECT_EQ(item.text, want.text);
        } else {
            EXPECT_FALSE(item.text.empty());
        }
        EXPECT_EQ(std::make_tuple(item.x, item.y, item.cx, item.cy), std::make_tuple(want.x, want.y, want.cx, want.cy));
        EXPECT_EQ(item.style, want.style | kVisibleChild) << std::hex << item.style;
        EXPECT_EQ(item.exStyle, 0u);
    }
}

TEST(ResourceTemplates, MainDialogHeader) {
    const auto dialog = res_test::LoadDialogTemplate(Module(), IDD_HOLLOWMERE_DIALOG);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->style, kMainDialogFrame.style);
    EXPECT_EQ(dialog->exStyle, kMainDialogFrame.exStyle);
    EXPECT_EQ(dialog->cx, kMainDialogFrame.cx);
    EXPECT_EQ(dialog->cy, kMainDialogFrame.cy);
    EXPECT_EQ(dialog->caption, kMainDialogFrame.caption);
    EXPECT_EQ(dialog->pointSize, kMainDialogFrame.pointSize);
    EXPECT_EQ(dialog->typeface, kMainDialogFrame.typeface);
    EXPECT_FALSE(dialog->hasMenu);
    EXPECT_EQ(dialog->style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
}

TEST(ResourceTemplates, MainDialogControls) {
    const auto dialog = res_test::LoadDialogTemplate(Module(), IDD_HOLLOWMERE_DIALOG);
    ASSERT_TRUE(dialog.has_value());
    ExpectControls(*dialog, kMainDialogLayout);
}

TEST(ResourceTemplates, AboutBox) {
    const auto dialog = res_test::LoadDialogTemplate(Module(), IDD_ABOUTBOX);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT));
    EXPECT_EQ(dialog->exStyle, 0u);
    EXPECT_EQ(dialog->cx, 185);
    EXPECT_EQ(dialog->cy, 70);
    EXPECT_EQ(dialog->caption, "Brisklane");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->typeface, "MS Shell Dlg");
    ExpectControls(*dialog, kAboutControls);
}

TEST(ResourceTemplates, ComboInitialisationData) {
    const HRSRC found =
        FindResourceA(Module(), MAKEINTRESOURCEA(IDD_HOLLOWMERE_DIALOG), MAKEINTRESOURCEA(RT_BRISKLANE_DLGINIT));
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(Module(), found)));
    const std::vector<std::uint8_t> data(bytes, bytes + SizeofResource(Module(), found));
    // Two records for combo 1006 with message 0x0403 and the zero-terminated text, then the zero end mark.
    const std::vector<std::uint8_t> expected = {
        0xEE, 0x03, 0x03, 0x04, 8, 0, 0, 0, 'M', 'i', 'n', 'u', 't', 'e', 's', 0,
        0xEE, 0x03, 0x03, 0x04, 6, 0, 0, 0, 'H', 'o', 'u', 'r', 's', 0,   0,   0,
    };
    EXPECT_EQ(data, expected);
}

INT_PTR CALLBACK TrivialDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::string WindowClass(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The system's view of the main dialog: each child in tab order, with its id, class, text and place.
TEST(ResourceTemplates, MainDialogAsCreated) {
    const HWND dialog =
        CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_HOLLOWMERE_DIALOG), nullptr, TrivialDialogProc, 0);
    ASSERT_NE(dialog, nullptr);

    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(children.size(), std::size(kMainDialogLayout));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const HWND child = children[i];
        const DialogControl& want = kMainDialogLayout[i];
        SCOPED_TRACE("control " + std::to_string(i) + " '" + WindowText(child) + "'");
        EXPECT_EQ(GetDlgCtrlID(child), static_cast<int>(want.id));
        EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, WindowClass(child).c_str(), -1, want.className, -1),
                  CSTR_EQUAL)
            << WindowClass(child);
        if (std::string(want.className) != "ComboBox") {
            EXPECT_EQ(WindowText(child), want.text);
        }
        // Bits that the dialog manager passes through unchanged (borders may become 3-D edges).
        const auto style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        const DWORD kept = WS_TABSTOP | WS_GROUP | 0xFFFF;
        EXPECT_EQ(style & kept, want.style & kept) << std::hex << style;

        RECT expected{want.x, want.y, want.cx, want.cy}; // mapped field by field, as the dialog manager does
        ASSERT_TRUE(MapDialogRect(dialog, &expected));
        RECT actual{};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right);
        // A combo box's template height is its height with the list dropped down, which the system may
        // adjust; the template test above holds that number.
        if (!testsupport::HeightIsDroppedDown(want)) {
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        }
    }

    // Tab order: the buttons, edits and combo boxes are the only tab stops, in template order.
    std::vector<int> tabStops;
    for (HWND child : children) {
        if ((GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP) != 0) {
            tabStops.push_back(GetDlgCtrlID(child));
        }
    }
    std::vector<int> expectedTabStops;
    for (const DialogControl& control : kMainDialogLayout) {
        if ((control.style & WS_TABSTOP) != 0) {
            expectedTabStops.push_back(static_cast<int>(control.id));
        }
    }
    EXPECT_EQ(tabStops, expectedTabStops);

    // The frame bits that the window keeps as the template gives them.
    const DWORD frameBits = WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE));
    EXPECT_EQ(style & frameBits, kMainDialogFrame.style & frameBits);
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & kMainDialogFrame.exStyle, kMainDialogFrame.exStyle);
    EXPECT_EQ(WindowText(dialog), kMainDialogFrame.caption);
    EXPECT_TRUE(DestroyWindow(dialog));
}

std::string MenuText(HMENU menu, UINT position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
    return text;
}

TEST(ResourceMenu, TrayMenuItemsInOrder) {
    const HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_TRAYMENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(MenuText(menu, 0), "Settings");
    EXPECT_EQ(MenuText(menu, 1), "About");
    EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(ID_APP_ABOUT_MENU));
    EXPECT_EQ(GetSubMenu(menu, 1), nullptr);

    const HMENU settings = GetSubMenu(menu, 0);
    ASSERT_NE(settings, nullptr);
    const std::vector<std::pair<UINT, std::string>> expected = {
        {ID_AUTO_RESUME, "&Auto Resume Downloads"},
        {ID_RUN_AT_STARTUP, "Run at &Startup"},
        {0, ""},
        {ID_SAFETY_PAGE, "Concerned About SAFETY?"},
        {ID_FILE_SHARING_PAGE, "All About File Sharing"},
        {ID_ANONYMITY_PAGE, "Download Torrents Anonymously!"},
        {ID_MUSIC_OFFER, "eMusic: 25 Free MP3 Downloads!"},
        {ID_MEDIA_OFFER, "Music, Games, Photos"},
        {ID_HELP_PAGE, "Help"},
        {ID_APP_ABOUT_MENU, "&About"},
        {0, ""},
        {ID_APP_EXIT_MENU, "&Exit"},
    };
    ASSERT_EQ(GetMenuItemCount(settings), static_cast<int>(expected.size()));
    for (UINT i = 0; i < expected.size(); ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfoA(settings, i, TRUE, &info));
        const bool separator = expected[i].first == 0;
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, separator) << i;
        if (!separator) {
            EXPECT_EQ(info.fState & (MFS_CHECKED | MFS_DISABLED), 0u) << i;
            EXPECT_EQ(info.wID, expected[i].first) << i;
            EXPECT_EQ(MenuText(settings, i), expected[i].second) << i;
        }
    }
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST(ResourceStrings, AboutItemText) {
    char text[64] = {};
    ASSERT_GT(LoadStringA(Module(), IDS_ABOUTBOX, text, sizeof(text)), 0);
    EXPECT_STREQ(text, "&About Brisklane...");
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

TEST(ResourceIcon, NineImagesOfThreeSizesAndDepths) {
    const HRSRC group = FindResourceA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(Module(), group)));
    WORD header[3];
    std::memcpy(header, bytes, sizeof(header));
    EXPECT_EQ(header[1], 1); // icons, not cursors
    ASSERT_EQ(header[2], 9);

    std::set<std::pair<int, int>> found;
    for (int i = 0; i < header[2]; ++i) {
        GroupIconEntry entry{};
        std::memcpy(&entry, bytes + sizeof(header) + i * sizeof(entry), sizeof(entry));
        found.insert({entry.width, entry.bitCount});
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.colourCount, entry.bitCount == 4 ? 16 : 0);

        // The image itself: a bitmap header of the same size (doubled height for the mask) and depth.
        const HRSRC image = FindResourceA(Module(), MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3)); // RT_ICON
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(SizeofResource(Module(), image), entry.bytesInRes);
        BITMAPINFOHEADER bitmap{};
        std::memcpy(&bitmap, LockResource(LoadResource(Module(), image)), sizeof(bitmap));
        EXPECT_EQ(bitmap.biWidth, entry.width);
        EXPECT_EQ(bitmap.biHeight, 2 * entry.width);
        EXPECT_EQ(bitmap.biBitCount, entry.bitCount);
    }
    const std::set<std::pair<int, int>> expected = {{48, 4},  {48, 8}, {48, 32}, {32, 4}, {32, 8},
                                                    {32, 32}, {16, 4}, {16, 8},  {16, 32}};
    EXPECT_EQ(found, expected);

    for (int size : {16, 32, 48}) {
        const auto icon = static_cast<HICON>(
            LoadImageA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectA(info.hbmColor, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(ResourceVersion, ProductAndVersion) {
    const std::string path = platform::ModulePath();
    ASSERT_FALSE(path.empty());
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(5, 4));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(5, 4));

    const auto query = [&](const char* name) {
        char* value = nullptr;
        UINT valueLength = 0;
        const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
        if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &valueLength)) {
            return std::string();
        }
        return std::string(value);
    };
    EXPECT_EQ(query("ProductName"), "Brisklane");
    EXPECT_EQ(query("ProductVersion"), "4.5.0");
    EXPECT_EQ(query("FileVersion"), "4.5.0");
}

TEST(ResourceManifest, CommonControlsSixAndDpiAware) {
    const HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
    const std::string manifest(bytes, SizeofResource(Module(), found));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);

    // The manifest takes effect: the process loads version 6 of the common controls, the side-by-side
    // assembly, rather than the system folder's version 5.
    InitCommonControls();
    const HMODULE controls = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    const std::string path = platform::ModulePath(controls);
    std::string lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_NE(lower.find("common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
}

} // namespace
