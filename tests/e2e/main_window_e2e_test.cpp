// End to end: the real Brisklane.exe under Wine, driven from outside as a person would.
#include "e2e_harness.h"
#include "picture.h"
#include "lookout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

using e2e::Program;

constexpr int kAccelerate = 1001;
constexpr int kRunClient = 3;
constexpr int kMinimize = 2;
constexpr int kQuit = 1007;
constexpr int kCheckPeriod = 1005;
constexpr int kDuration = 1009;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { e2e::CleanProgramRegistry(); }
    void TearDown() override { e2e::CleanProgramRegistry(); }
};

// The expected place of a template control, in dialog units, as the window's layout defines it.
struct Expected {
    int id;
    const char* className;
    const char* text; // nullptr: changes at run time
    RECT units;       // x, y, width, height
};

// Static labels and frames keep their template texts; the buttons keep theirs but the switch.
const Expected kLayout[] = {
    {1001, "Button", nullptr, {26, 16, 155, 33}},
    {3, "Button", "&Run Quillfin", {213, 16, 37, 33}},
    {2, "Button", "&Minimize", {213, 52, 37, 33}},
    {1007, "Button", "&Quit", {213, 88, 37, 33}},
    {1005, "Edit", nullptr, {91, 62, 17, 12}},
    {1006, "ComboBox", nullptr, {130, 62, 51, 64}},
    {1004, "Edit", nullptr, {91, 81, 17, 12}},
    {-1, "Static", "downloads", {146, 83, 37, 8}},
    {-1, "Static", "Check period", {26, 64, 46, 8}},
    {-1, "Static", "Accelerate first", {26, 83, 54, 8}},
    {0, "Static", nullptr, {3, 190, 261, 8}}, // footer: our own text, any id
    {-1, "Static", "Duration", {11, 169, 30, 8}},
    {-1, "Static", "Bytes Sent", {127, 145, 45, 8}},
    {-1, "Static", "Bytes Received", {124, 157, 53, 8}},
    {1009, "Static", nullptr, {41, 169, 83, 10}},
    {1011, "Static", nullptr, {177, 157, 83, 10}},
    {1012, "Static", nullptr, {177, 145, 83, 10}},
    {1015, "Static", nullptr, {41, 157, 83, 10}},
    {-1, "Static", "Status", {11, 157, 28, 8}},
    {1016, "Static", nullptr, {41, 145, 83, 10}},
    {1017, "Static", "Type", {11, 145, 28, 8}},
    {-1, "Button", "Acceleration Settings", {8, 4, 194, 124}},
    {-1, "Button", "Statistics", {7, 135, 256, 50}},
    {-1, "Static", "", {12, 55, 185, 1}},
    {-1, "Static", "DurationAcc", {127, 169, 45, 8}},
    {1022, "Static", nullptr, {177, 169, 83, 10}},
    {-1, "Button", "", {206, 4, 54, 124}},
    {1024, "ComboBox", nullptr, {73, 110, 124, 100}},
    {1025, "Static", "Network Interface", {9, 112, 64, 8}},
    {-1, "Static", "", {12, 101, 185, 1}},
};

// Dialog units to pixels with the font of the program's own template, measured in this process by
// creating the same template hidden (the conversion needs the dialog's own font metrics).
class UnitConverter {
public:
    UnitConverter() {
        module_ = LoadLibraryExA((e2e::BinDir() + "\\Brisklane.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found = module_ ? FindResourceA(module_, MAKEINTRESOURCEA(102), MAKEINTRESOURCEA(5)) : nullptr;
        HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
        auto* resource = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
        if (resource != nullptr) {
            // Created invisible and without its controls' classes mattering: only the font is needed.
            std::vector<BYTE> copy(resource, resource + SizeofResource(module_, found));
            dialog_ = CreateDialogIndirectParamA(
                GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), nullptr,
                [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
            if (dialog_ != nullptr)
                ShowWindow(dialog_, SW_HIDE);
        }
    }
    ~UnitConverter() {
        if (dialog_ != nullptr)
            DestroyWindow(dialog_);
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    bool Ready() const { return dialog_ != nullptr; }
    // The dialog manager converts the position and the size separately, as this does.
    RECT ToPixels(const RECT& units) const {
        RECT r = units; // x, y, width, height
        MapDialogRect(dialog_, &r);
        return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
    }

private:
    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
};

TEST_F(MainWindow, AppearsCentredWithCaptionAndEveryControlAtItsPlace) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr) << "no visible Brisklane window";
    EXPECT_EQ(lookout::WindowText(dialog), "Brisklane");

    RECT window{};
    GetWindowRect(dialog, &window);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);

    UnitConverter units;
    ASSERT_TRUE(units.Ready());
    std::vector<lookout::ControlInfo> controls = lookout::Controls(dialog);
    ASSERT_EQ(controls.size(), std::size(kLayout)) << lookout::DescribeDialog(dialog);
    for (size_t i = 0; i < controls.size(); ++i) {
        const Expected& want = kLayout[i];
        const lookout::ControlInfo& got = controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " '" + got.text + "'");
        if (want.id > 0) {
            EXPECT_EQ(got.id, want.id);
        } else if (want.id < 0) {
            EXPECT_TRUE(got.id == -1 || got.id == 0xFFFF) << got.id;
        }
        EXPECT_EQ(got.className, want.className);
        if (want.text != nullptr) {
            EXPECT_EQ(got.text, want.text);
        }
        const RECT px = units.ToPixels(want.units);
        if (want.id != 1006 && want.id != 1024) { // a combo box's window is its closed height
            EXPECT_EQ(got.rect.left, px.left);
            EXPECT_EQ(got.rect.top, px.top);
            EXPECT_EQ(got.rect.right, px.right);
            EXPECT_EQ(got.rect.bottom, px.bottom);
        } else {
            EXPECT_EQ(got.rect.left, px.left);
            EXPECT_EQ(got.rect.top, px.top);
            EXPECT_EQ(got.rect.right, px.right);
        }
    }

    // The initialisation switches acceleration on; under Wine the raw socket is refused, so the switch shows
    // the stopped state with its two-line caption, and the footer says why.
    EXPECT_EQ(e2e::Text(dialog, kAccelerate), "Status: stopped\nPress to start acceleration ");
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, kAccelerate), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_NE(GetWindowLongA(GetDlgItem(dialog, kAccelerate), GWL_STYLE) & BS_MULTILINE, 0);
    EXPECT_EQ(e2e::Text(dialog, 1030), "Acceleration needs administrator rights: raw socket refused (error 10043)");
    EXPECT_EQ(e2e::Text(dialog, 1022), " 0 hrs :  0 mins :  0 secs");
}

TEST_F(MainWindow, DurationShowsOneSecondAfterTheFirstTickAndKeepsCounting) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    std::string first;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            first = e2e::Text(dialog, kDuration);
            return !first.empty();
        },
        5000, 20));
    EXPECT_EQ(first, "  0 hrs :  0 mins :  1 secs");
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(dialog, kDuration) == "  0 hrs :  0 mins :  3 secs"; }, 5000));
}

// Every way of closing the window hides it into the tray instead; the program and its timers go on, and a
// double-click on the tray icon brings the window back.
TEST_F(MainWindow, EscapeCloseBoxAltF4AndMinimizeHideIntoTheTray) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);

    struct Way {
        const char* name;
        std::function<void()> act;
    };
    const Way ways[] = {
        {"Escape", [&] { e2e::PostKey(e2e::FocusedWindowOf(dialog), VK_ESCAPE); }},
        {"close box", [&] { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4", [&] { e2e::PostKey(dialog, VK_F4, true); }},
        {"Minimize button", [&] { e2e::Click(dialog, kMinimize); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        ASSERT_TRUE(IsWindowVisible(dialog));
        way.act();
        ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(dialog); }, 5000));
        // Wine re-parents a hidden window only after a pause of its own.
        EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsTopLevel(dialog); }, 5000)) << "still on the taskbar";
        EXPECT_TRUE(program.Running());
        const std::string before = e2e::Text(dialog, kDuration);
        EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(dialog, kDuration) != before; }, 3000))
            << "timer 1 stopped while hidden";

        e2e::TrayNotify(dialog, WM_LBUTTONDBLCLK);
        ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000));
        EXPECT_TRUE(e2e::IsTopLevel(dialog));
    }
}

TEST_F(MainWindow, EnterEndsNothing) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    // Right after start-up the focus is on the acceleration switch.
    HWND focus = e2e::FocusedWindowOf(dialog);
    EXPECT_EQ(focus, GetDlgItem(dialog, kAccelerate));
    e2e::PostKey(focus ? focus : dialog, VK_RETURN);
    e2e::PostKey(GetDlgItem(dialog, kCheckPeriod), VK_RETURN);
    EXPECT_FALSE(program.WaitForExit(2000));
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(MainWindow, QuitEndsTheProgramWithTheCancelResult) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    e2e::Click(dialog, kQuit);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(10000, &code));
    EXPECT_EQ(code, 2u);
}

TEST_F(MainWindow, TrayMenuExitEndsTheProgramWithResultZero) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    // "&Exit" is the tenth and last command of the "Settings" popup (separators are passed over).
    std::vector<UINT> keys(10, VK_DOWN);
    keys.push_back(VK_RETURN);
    ASSERT_TRUE(e2e::UseTrayMenu(dialog, program.Pid(), keys));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(MainWindow, TrayMenuCommandReachesTheDialog) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    // The first item, "&Auto Resume Downloads", stores its new state at once.
    ASSERT_TRUE(e2e::UseTrayMenu(dialog, program.Pid(), {VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(e2e::WaitUntil(
        [] { return e2e::RegQuery("HKCU\\Software\\Brisklane", "AutoResumeDownloads").data == "0x1"; }, 5000));
    EXPECT_TRUE(program.Running());
}

TEST_F(MainWindow, EveryStartRunsItsOwnWindow) {
    Program first;
    Program second;
    HWND one = first.MainWindow();
    HWND two = second.MainWindow();
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    EXPECT_NE(first.Pid(), second.Pid());
    EXPECT_TRUE(e2e::WaitUntil([] { return e2e::TrayIconWindows().size() == 2; }, 5000))
        << e2e::TrayIconWindows().size() << " tray icons";
}

TEST_F(MainWindow, TraySwitchOpensTheSameVisibleCentredWindow) {
    Program program("-tray");
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(e2e::IsTopLevel(dialog));
    RECT window{};
    GetWindowRect(dialog, &window);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
}

TEST_F(MainWindow, StartsWithoutTheSkinFile) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "brisklane-noskin";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string exe = folder + "\\Brisklane.exe";
    ASSERT_TRUE(CopyFileA((e2e::BinDir() + "\\Brisklane.exe").c_str(), exe.c_str(), FALSE));
    DeleteFileA((folder + "\\skin.smf").c_str());
    {
        Program program("", exe, folder);
        EXPECT_NE(program.MainWindow(), nullptr);
    }
    DeleteFileA(exe.c_str());
    RemoveDirectoryA(folder.c_str());
}

// The window's look, compared with a reference picture (tests/e2e/reference/main_window.bmp): a change of
// layout, texts, fonts or skin shows as differing pixels. What changes from run to run is left out: the
// value fields, the interface list and the footer line. BRISKLANE_UPDATE_REFERENCE=1 writes a new reference.
TEST_F(MainWindow, LooksLikeTheReferenceScreenshot) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    // Let the first tick pass and the window settle.
    e2e::WaitUntil([&] { return !e2e::Text(dialog, kDuration).empty(); }, 5000);
    Sleep(500);

    RECT window{};
    GetWindowRect(dialog, &window);
    std::vector<RECT> ignored;
    const std::vector<lookout::ControlInfo> controls = lookout::Controls(dialog);
    for (size_t i = 0; i < controls.size(); ++i) {
        const lookout::ControlInfo& c = controls[i];
        const bool footer = i == 10;
        const bool value = c.id == 1009 || c.id == 1011 || c.id == 1012 || c.id == 1015 || c.id == 1016 ||
                           c.id == 1022 || c.id == 1024;
        if (!footer && !value)
            continue;
        RECT r = c.rect; // client coordinates of the dialog, to window-picture coordinates
        MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&r), 2);
        OffsetRect(&r, -window.left, -window.top);
        InflateRect(&r, 2, 2);
        ignored.push_back(r);
    }

    const std::string referencePath = std::string(BRISKLANE_SOURCE_DIR) + "/tests/e2e/reference/main_window.bmp";
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string actualPath = std::string(temp) + "brisklane-main-window.bmp";
    const lookout::Picture actual = lookout::GrabWindow(dialog);
    ASSERT_TRUE(lookout::SaveBmp(actual, actualPath));
    const char* update = std::getenv("BRISKLANE_UPDATE_REFERENCE");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(CopyFileA(actualPath.c_str(), ("Z:" + referencePath).c_str(), FALSE));
        GTEST_SKIP() << "reference written";
    }

    lookout::Picture reference;
    ASSERT_TRUE(lookout::LoadBmp("Z:" + referencePath, reference)) << "no reference picture at " << referencePath;
    const lookout::PictureDifference difference = lookout::ComparePictures(actual, reference, ignored, 40);
    ASSERT_TRUE(difference.sameSize) << actual.width << "x" << actual.height << " against " << reference.width << "x"
                                     << reference.height;
    EXPECT_LT(difference.differentPixels, difference.comparedPixels / 2000)
        << difference.differentPixels << " of " << difference.comparedPixels << " pixels differ; see " << actualPath;
}

} // namespace
