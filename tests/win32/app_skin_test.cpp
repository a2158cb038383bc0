// The skin layer on real windows: dialogs created after a skin is applied paint its gradient behind
// themselves and their static controls; a missing or malformed file, or a release, keeps the plain look.
#include "app/skin.h"
#include "app/skin_format.h"
#include "files.h"
#include "picture.h"
#include "framework/message_loop.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const skin::Colour kTop{0x20, 0x40, 0x80};
const skin::Colour kBottom{0xA0, 0xC0, 0xE0};
const skin::Colour kText{0x10, 0x20, 0x30};
const skin::Colour kFrame{0xF0, 0x10, 0x10};

constexpr const char* kGradientSkin = "; test skin\n"
                                      "[Dialog]\n"
                                      "background-top = #204080\n"
                                      "background-bottom = #A0C0E0\n"
                                      "text = #102030\n";

COLORREF ToColorRef(skin::Colour c) {
    return RGB(c.red, c.green, c.blue);
}

// The temporary folder and the executable's folder, each with its closing backslash.
std::string TempFolder() {
    return testsupport::TempPath("");
}

std::string ExecutableFolder() {
    return testsupport::BinDir() + "\\";
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Like the main window: static controls are asked to draw transparently on the hollow brush.
INT_PTR CALLBACK HollowStaticsDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CTLCOLORSTATIC) {
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

HWND CreateAboutBox(DLGPROC proc = PlainDialogProc) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), nullptr, proc, 0);
}

// The client area of a window as the window paints it, children included, over a colour that neither the
// skin nor the system uses, so that an unpainted pixel shows.
lookout::Picture ClientImage(HWND window) {
    return lookout::PrintClient(window, RGB(1, 2, 3));
}

// Pixel row in the middle of the About box's vendor line (a static control whose text is centred).
int VendorLineRow(HWND dialog) {
    RECT line{0, 29, 184, 16};
    MapDialogRect(dialog, &line);
    return line.top + line.bottom / 2;
}

class SkinLayer : public ::testing::Test {
protected:
    void TearDown() override {
        skin::Release();
        for (HWND window : windows_) {
            DestroyWindow(window);
        }
        for (const std::string& path : files_) {
            DeleteFileA(path.c_str());
        }
        SetCurrentDirectoryA(ExecutableFolder().c_str());
    }

    std::string WriteTextFile(const std::string& folder, const std::string& name, const std::string& text) {
        const std::string path = folder + name;
        testsupport::WriteFile(path, text);
        EXPECT_EQ(capture_bytes::ReadText(path), text) << path;
        files_.push_back(path);
        return path;
    }

    HWND Keep(HWND window) {
        EXPECT_NE(window, nullptr);
        windows_.push_back(window);
        return window;
    }

    void ApplyGradientSkin() {
        ASSERT_TRUE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick"));
        ASSERT_TRUE(skin::LoadSkinFile(WriteTextFile(TempFolder(), "res-skin-gradient.smf", kGradientSkin).c_str()));
        ASSERT_TRUE(skin::ApplyDialogSkin("Dialog"));
    }

    static void ExpectPlain(HWND dialog) {
        const lookout::Picture image = ClientImage(dialog);
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(image.At(image.width / 2, 0), face);
        EXPECT_EQ(image.At(image.width / 2, image.height - 1), face);
        EXPECT_EQ(image.At(2, VendorLineRow(dialog)), face);
    }

private:
    std::vector<HWND> windows_;
    std::vector<std::string> files_;
};

TEST_F(SkinLayer, DialogCreatedAfterApplyPaintsTheGradient) {
    ApplyGradientSkin();
    const HWND dialog = Keep(CreateAboutBox());
    const lookout::Picture image = ClientImage(dialog);
    const int h = image.height;
    ASSERT_GT(h, 10);
    EXPECT_EQ(image.At(image.width / 2, 0), ToColorRef(kTop));
    EXPECT_EQ(image.At(image.width / 2, h - 1), ToColorRef(kBottom));
    EXPECT_EQ(image.At(image.width - 1, h / 3), ToColorRef(skin::GradientRow(kTop, kBottom, h / 3, h)));

    // Behind a static control that the dialog leaves at default colours, the same row of the gradient.
    const int row = VendorLineRow(dialog);
    EXPECT_EQ(image.At(2, row), ToColorRef(skin::GradientRow(kTop, kBottom, row, h)));
}

TEST_F(SkinLayer, StaticColoursDefaultToTheSkinButTheDialogDecidesFirst) {
    ApplyGradientSkin();
    const HWND plain = Keep(CreateAboutBox());
    const HWND hollow = Keep(CreateAboutBox(HollowStaticsDialogProc));
    HDC dc = CreateCompatibleDC(nullptr);

    const HWND plainStatic = GetWindow(GetDlgItem(plain, IDOK), GW_HWNDNEXT);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    const auto plainBrush =
        SendMessageA(plain, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(plainStatic));
    EXPECT_NE(plainBrush, 0);
    EXPECT_NE(plainBrush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(GetTextColor(dc), ToColorRef(kText));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);

    const HWND hollowStatic = GetWindow(GetDlgItem(hollow, IDOK), GW_HWNDNEXT);
    SetTextColor(dc, RGB(0, 0, 0));
    const auto hollowBrush =
        SendMessageA(hollow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hollowStatic));
    EXPECT_EQ(hollowBrush, reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH)));
    EXPECT_EQ(GetTextColor(dc), ToColorRef(kText));
    DeleteDC(dc);

    // With the hollow brush, the dialog's own background shows through the static control.
    const lookout::Picture image = ClientImage(hollow);
    const int row = VendorLineRow(hollow);
    EXPECT_EQ(image.At(2, row), ToColorRef(skin::GradientRow(kTop, kBottom, row, image.height)));
}

// Pixels of the control's right half, read back from the screen, that differ from the dialog's gradient.
int PixelsOffTheGradient(HWND dialog, HWND control) {
    RECT client{};
    GetClientRect(dialog, &client);
    POINT offset{};
    MapWindowPoints(control, dialog, &offset, 1);
    const lookout::Picture shown = lookout::GrabClient(control);
    int off = 0;
    for (int y = 0; y < shown.height; ++y) {
        const COLORREF want = ToColorRef(skin::GradientRow(kTop, kBottom, offset.y + y, client.bottom));
        for (int x = shown.width / 2; x < shown.width; ++x) {
            off += shown.At(x, y) != want ? 1 : 0;
        }
    }
    return off;
}

TEST_F(SkinLayer, TransparentStaticLeavesNoTraceOfItsOldText) {
    ApplyGradientSkin();
    const HWND dialog = Keep(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HOLLOWMERE_DIALOG),
                                                nullptr, HollowStaticsDialogProc, 0));
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    const HWND value = GetDlgItem(dialog, IDC_ACCEL_DURATION);
    UpdateWindow(dialog);
    fw::DispatchWaitingMessages();

    SetWindowTextA(value, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    fw::DispatchWaitingMessages();
    ASSERT_GT(PixelsOffTheGradient(dialog, value), 0) << "the long text covers the right half";
    SetWindowTextA(value, "i");
    fw::DispatchWaitingMessages();
    EXPECT_EQ(PixelsOffTheGradient(dialog, value), 0);
}

TEST_F(SkinLayer, FrameIsDrawnAroundTheClientArea) {
    ASSERT_TRUE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick"));
    const std::string path =
        WriteTextFile(TempFolder(), "res-skin-frame.smf", "[Dialog]\nbackground-top = #204080\nframe = #F01010\n");
    ASSERT_TRUE(skin::LoadSkinFile(path.c_str()));
    ASSERT_TRUE(skin::ApplyDialogSkin("dialog"));
    const HWND dialog = Keep(CreateAboutBox());
    const lookout::Picture image = ClientImage(dialog);
    EXPECT_EQ(image.At(0, 0), ToColorRef(kFrame));
    EXPECT_EQ(image.At(image.width - 1, image.height - 1), ToColorRef(kFrame));
    EXPECT_EQ(image.At(1, 1), ToColorRef(kTop));
    EXPECT_EQ(image.At(image.width / 2, image.height - 2), ToColorRef(kTop)) << "no bottom colour: flat";
}

TEST_F(SkinLayer, MissingOrMalformedFileKeepsThePlainLook) {
    struct Row {
        const char* name;
        const char* text; // nullptr: no file at all
    };
    const Row rows[] = {
        {"res-skin-missing.smf", nullptr},
        {"res-skin-malformed.smf", "[Dialog]\nbackground-top = blue\n"},
        {"res-skin-binary.smf", "\x01\x02\x03\x04"},
        {"res-skin-other.smf", "[Button]\nbackground-top = #204080\n"},
        {"res-skin-no-background.smf", "[Dialog]\ntext = #204080\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick"));
        const std::string path =
            row.text != nullptr ? WriteTextFile(TempFolder(), row.name, row.text) : TempFolder() + row.name;
        (void)skin::LoadSkinFile(path.c_str());
        EXPECT_FALSE(skin::ApplyDialogSkin("Dialog"));
        const HWND dialog = Keep(CreateAboutBox());
        ExpectPlain(dialog);
        skin::Release();
    }
}

TEST_F(SkinLayer, CallsOutOfOrderChangeNothing) {
    EXPECT_FALSE(skin::LoadSkinFile("skin.smf")) << "not initialised";
    EXPECT_FALSE(skin::ApplyDialogSkin("Dialog"));
    skin::Release();
    ASSERT_TRUE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick"));
    EXPECT_FALSE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick")) << "already initialised";
    EXPECT_FALSE(skin::ApplyDialogSkin("Dialog")) << "no file loaded";
    EXPECT_FALSE(skin::LoadSkinFile(nullptr));
    EXPECT_FALSE(skin::LoadSkinFile(""));
    ExpectPlain(Keep(CreateAboutBox()));
}

TEST_F(SkinLayer, OnlyDialogsCreatedAfterApplyAreSkinnedAndReleaseRestoresThePlainLook) {
    ASSERT_TRUE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick"));
    const HWND before = Keep(CreateAboutBox());
    ASSERT_TRUE(skin::LoadSkinFile(WriteTextFile(TempFolder(), "res-skin-gradient.smf", kGradientSkin).c_str()));
    ASSERT_TRUE(skin::ApplyDialogSkin("Dialog"));
    const HWND after = Keep(CreateAboutBox());
    ExpectPlain(before);
    EXPECT_EQ(ClientImage(after).At(0, 0), ToColorRef(kTop));

    skin::Release();
    ExpectPlain(after);
    ExpectPlain(Keep(CreateAboutBox()));
    skin::Release(); // a second release does nothing
}

// A later subclass in the manner of our framework: its own procedure first, the earlier one for the rest.
WNDPROC previousProcedure = nullptr;

LRESULT CALLBACK ForwardingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(previousProcedure, window, message, wParam, lParam);
}

TEST_F(SkinLayer, SkinSurvivesALaterSubclassThatForwardsToThePreviousProcedure) {
    ApplyGradientSkin();
    const HWND dialog = Keep(CreateAboutBox());
    previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardingProcedure)));
    EXPECT_EQ(ClientImage(dialog).At(0, 0), ToColorRef(kTop));
    SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
}

TEST_F(SkinLayer, RelativeNameIsLookedUpBesideTheExecutableThenInTheCurrentFolder) {
    const std::string folder = TempFolder();
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    ASSERT_TRUE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick"));

    // Beside the executable (the build puts the default skin there) though the current folder differs.
    WriteTextFile(ExecutableFolder(), "res-skin-beside.smf", kGradientSkin);
    EXPECT_TRUE(skin::LoadSkinFile("res-skin-beside.smf"));

    // Only in the current folder.
    WriteTextFile(folder, "res-skin-current.smf", kGradientSkin);
    EXPECT_TRUE(skin::LoadSkinFile("res-skin-current.smf"));

    // Beside the executable wins over the current folder.
    WriteTextFile(ExecutableFolder(), "res-skin-both.smf", kGradientSkin);
    WriteTextFile(folder, "res-skin-both.smf", "not a skin\n");
    EXPECT_TRUE(skin::LoadSkinFile("res-skin-both.smf"));

    EXPECT_FALSE(skin::LoadSkinFile("res-skin-nowhere.smf"));
    EXPECT_FALSE(skin::ApplyDialogSkin("Dialog")) << "the failed load dropped the earlier file";
}

TEST_F(SkinLayer, DefaultSkinBesideTheExecutableLoads) {
    ASSERT_TRUE(skin::Initialise(GetModuleHandleA(nullptr), "Tarnwick"));
    ASSERT_TRUE(SetCurrentDirectoryA(TempFolder().c_str()));
    EXPECT_TRUE(skin::LoadSkinFile("skin.smf"));
    EXPECT_TRUE(skin::ApplyDialogSkin("Dialog"));
}

} // namespace
