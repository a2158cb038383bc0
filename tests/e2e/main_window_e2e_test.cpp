// End to end: the real Brisklane.exe under Wine, driven from outside as a person would.
#include "e2e_harness.h"
#include "lookout.h"
#include "main_dialog_layout.h"
#include "main_dialog_template.h"
#include "picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

using e2e::Program;
using testsupport::kMainDialogLayout;

class MainWindow : public e2e::MainProgramTest {};

TEST_F(MainWindow, AppearsCentredWithCaptionAndEveryControlAtItsPlace) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr) << "no visible Brisklane window";
    EXPECT_EQ(lookout::WindowText(dialog), testsupport::kMainDialogFrame.caption);

    RECT window{};
    GetWindowRect(dialog, &window);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);

    const testsupport::MainDialogTemplate units;
    ASSERT_TRUE(units.Ready());
    std::vector<lookout::ControlInfo> controls = lookout::Controls(dialog);
    ASSERT_EQ(controls.size(), std::size(kMainDialogLayout)) << lookout::DescribeDialog(dialog);
    for (size_t i = 0; i < controls.size(); ++i) {
        const testsupport::DialogControl& want = kMainDialogLayout[i];
        const lookout::ControlInfo& got = controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " '" + got.text + "'");
        if (want.id != testsupport::kStaticId) {
            EXPECT_EQ(got.id, static_cast<int>(want.id));
        } else {
            EXPECT_TRUE(got.id == -1 || got.id == 0xFFFF) << got.id;
        }
        EXPECT_EQ(got.className, want.className);
        if (!want.setAtRunTime) {
            EXPECT_EQ(got.text, want.text);
        }
        const RECT px = units.ToPixels(want);
        EXPECT_EQ(got.rect.left, px.left);
        EXPECT_EQ(got.rect.top, px.top);
        EXPECT_EQ(got.rect.right, px.right);
        if (!testsupport::HeightIsDroppedDown(want)) {
            EXPECT_EQ(got.rect.bottom, px.bottom);
        }
    }

    // The initialisation switches acceleration on; under Wine the raw socket is refused, so the switch shows
    // the stopped state with its two-line caption, and the footer says why.
    EXPECT_EQ(e2e::Text(dialog, IDC_ACCELERATE), "Status: stopped\nPress to start acceleration ");
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_ACCELERATE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_NE(GetWindowLongA(GetDlgItem(dialog, IDC_ACCELERATE), GWL_STYLE) & BS_MULTILINE, 0);
    EXPECT_EQ(e2e::Text(dialog, IDC_FOOTER),
              "Acceleration needs administrator rights: raw socket refused (error 10043)");
    EXPECT_EQ(e2e::Text(dialog, IDC_ACCEL_DURATION), " 0 hrs :  0 mins :  0 secs");
}

TEST_F(MainWindow, DurationShowsOneSecondAfterTheFirstTickAndKeepsCounting) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    std::string first;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            first = e2e::Text(dialog, IDC_DURATION);
            return !first.empty();
        },
        5000, 20));
    EXPECT_EQ(first, "  0 hrs :  0 mins :  1 secs");
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(dialog, IDC_DURATION) == "  0 hrs :  0 mins :  3 secs"; }, 5000));
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
        {"Minimize button", [&] { e2e::Click(dialog, IDCANCEL); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        ASSERT_TRUE(IsWindowVisible(dialog));
        way.act();
        ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(dialog); }, 5000));
        // Wine re-parents a hidden window only after a pause of its own.
        EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsTopLevel(dialog); }, 5000)) << "still on the taskbar";
        EXPECT_TRUE(program.Running());
        const std::string before = e2e::Text(dialog, IDC_DURATION);
        EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(dialog, IDC_DURATION) != before; }, 3000))
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
    EXPECT_EQ(focus, GetDlgItem(dialog, IDC_ACCELERATE));
    e2e::PostKey(focus ? focus : dialog, VK_RETURN);
    e2e::PostKey(GetDlgItem(dialog, IDC_CHECK_PERIOD), VK_RETURN);
    EXPECT_FALSE(program.WaitForExit(2000));
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(MainWindow, QuitEndsTheProgramWithTheCancelResult) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    e2e::Click(dialog, IDC_QUIT);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(10000, &code));
    EXPECT_EQ(code, 2u);
}

TEST_F(MainWindow, TrayMenuExitEndsTheProgramWithResultZero) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::ChooseTrayItem(dialog, program.Pid(), e2e::kExitItem));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(MainWindow, TrayMenuCommandReachesTheDialog) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    // The first item, "&Auto Resume Downloads", stores its new state at once.
    ASSERT_TRUE(e2e::ChooseTrayItem(dialog, program.Pid(), e2e::kAutoResumeItem));
    EXPECT_TRUE(
        e2e::WaitUntil([] { return e2e::RegQuery(e2e::kProductKey, "AutoResumeDownloads").data == "0x1"; }, 5000));
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
    const testsupport::TempFolder folder("noskin");
    const std::string exe = folder.File("Brisklane.exe");
    ASSERT_TRUE(CopyFileA((testsupport::BinDir() + "\\Brisklane.exe").c_str(), exe.c_str(), FALSE));
    Program program("", exe, folder.Path());
    EXPECT_NE(program.MainWindow(), nullptr);
}

// The window's look, compared with a reference picture (tests/e2e/reference/main_window.bmp): a change of
// layout, texts, fonts or skin shows as differing pixels. What changes from run to run is left out: the
// value fields, the interface list and the footer line. BRISKLANE_UPDATE_REFERENCE=1 writes a new reference.
TEST_F(MainWindow, LooksLikeTheReferenceScreenshot) {
    Program program;
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);
    // The first tick has passed once the clock shows.
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::Text(dialog, IDC_DURATION).empty(); }, 5000));

    RECT window{};
    GetWindowRect(dialog, &window);
    std::vector<RECT> ignored;
    for (const lookout::ControlInfo& c : lookout::Controls(dialog)) {
        const bool changing = c.id == IDC_FOOTER || c.id == IDC_DURATION || c.id == IDC_BYTES_RECEIVED ||
                              c.id == IDC_BYTES_SENT || c.id == IDC_STATUS || c.id == IDC_TYPE ||
                              c.id == IDC_ACCEL_DURATION || c.id == IDC_NETWORK;
        if (!changing) {
            continue;
        }
        RECT r = c.rect; // client coordinates of the dialog, to window-picture coordinates
        MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&r), 2);
        OffsetRect(&r, -window.left, -window.top);
        InflateRect(&r, 2, 2);
        ignored.push_back(r);
    }

    // The window has settled when two pictures in a row agree outside the changing values.
    lookout::Picture actual = lookout::GrabWindow(dialog);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            const lookout::Picture previous = actual;
            actual = lookout::GrabWindow(dialog);
            const lookout::PictureDifference change = lookout::ComparePictures(actual, previous, ignored, 0);
            return change.sameSize && change.differentPixels == 0;
        },
        5000, 100));

    const std::string referencePath = std::string(BRISKLANE_SOURCE_DIR) + "/tests/e2e/reference/main_window.bmp";
    const std::string actualPath = testsupport::TempPath("brisklane-main-window.bmp");
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
