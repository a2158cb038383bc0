// End to end in Wine's own visual style, which the prefixes of every other test turn off (scripts/setup.sh):
// both programs start in it and work. The main window shows every control at its place with its whole text,
// and its controls are drawn otherwise than in the classic look, so the style did apply; the capture window
// replays a capture and lists its flows.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "capture/flows/traffic_view.h"
#include "capture/host/host_ids.h"
#include "capture_host.h"
#include "e2e_harness.h"
#include "lookout.h"
#include "main_dialog_layout.h"
#include "main_dialog_template.h"
#include "picture.h"
#include "text_fit.h"

namespace {

using e2e::Program;

const std::string kThemeKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

// Programs started from now on draw their controls in Wine's visual style, or in the classic look.
void UseVisualStyle(bool on) {
    ASSERT_TRUE(e2e::Reg("add \"" + kThemeKey + "\" /v ThemeActive /d " + (on ? "1" : "0") + " /f"));
    ASSERT_EQ(e2e::RegQuery(kThemeKey, "ThemeActive").data, on ? "1" : "0");
}

// Pixels inside the rectangles that differ between two pictures of the same window.
long PixelsThatDiffer(const lookout::Picture& a, const lookout::Picture& b, const std::vector<RECT>& areas) {
    long differ = 0;
    for (const RECT& r : areas) {
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                differ += a.At(x, y) != b.At(x, y) ? 1 : 0;
            }
        }
    }
    return differ;
}

// The running main window after its first tick: its controls, and a picture of it with the places of its
// three push buttons (the controls the style draws most differently), in picture coordinates.
struct ShownWindow {
    std::vector<lookout::ControlInfo> controls;
    lookout::Picture picture;
    std::vector<RECT> buttons;
};

ShownWindow ShowMainWindow(Program& program) {
    ShownWindow shown;
    HWND dialog = program.MainWindow();
    EXPECT_NE(dialog, nullptr) << "no visible Brisklane window";
    if (dialog == nullptr) {
        return shown;
    }
    EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::Text(dialog, IDC_DURATION).empty(); }, 10000));
    shown.controls = lookout::Controls(dialog);
    RECT window{};
    GetWindowRect(dialog, &window);
    for (const lookout::ControlInfo& c : shown.controls) {
        if (c.id == IDC_RUN_CLIENT || c.id == IDCANCEL || c.id == IDC_QUIT) {
            RECT r = c.rect;
            MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&r), 2);
            OffsetRect(&r, -window.left, -window.top);
            shown.buttons.push_back(r);
        }
    }
    // Drawn once two pictures in a row agree in the buttons.
    shown.picture = lookout::GrabWindow(dialog);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            const lookout::Picture previous = shown.picture;
            shown.picture = lookout::GrabWindow(dialog);
            return PixelsThatDiffer(shown.picture, previous, shown.buttons) == 0;
        },
        5000, 100));
    return shown;
}

class ThemedLook : public e2e::MainProgramTest {};

TEST_F(ThemedLook, TheMainWindowShowsEveryControlWholeInWinesVisualStyle) {
    ShownWindow classic;
    {
        UseVisualStyle(false);
        Program program;
        classic = ShowMainWindow(program);
        ASSERT_FALSE(classic.buttons.empty());
    }
    UseVisualStyle(true);
    Program program;
    const ShownWindow themed = ShowMainWindow(program);
    HWND dialog = program.MainWindow();
    ASSERT_NE(dialog, nullptr);

    // Every control of the template, visible, inside the window, where the classic look has it.
    ASSERT_EQ(themed.controls.size(), std::size(testsupport::kMainDialogLayout)) << lookout::DescribeDialog(dialog);
    ASSERT_EQ(classic.controls.size(), themed.controls.size());
    RECT client{};
    GetClientRect(dialog, &client);
    const testsupport::MainDialogTemplate font;
    ASSERT_NE(font.Font(), nullptr);
    for (size_t i = 0; i < themed.controls.size(); ++i) {
        const lookout::ControlInfo& c = themed.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " '" + c.text + "'");
        EXPECT_TRUE(c.visible);
        EXPECT_EQ(c.className, testsupport::kMainDialogLayout[i].className);
        EXPECT_TRUE(c.rect.left >= 0 && c.rect.top >= 0 && c.rect.right <= client.right &&
                    c.rect.bottom <= client.bottom);
        EXPECT_TRUE(EqualRect(&c.rect, &classic.controls[i].rect));
        if (c.className == "Static" || c.className == "Button") {
            EXPECT_EQ(testsupport::TextCut(c.hwnd, c.text, font.Font()), "");
        }
    }

    // The style drew the buttons: in the classic look they have their bevelled edges on a grey face.
    long buttonPixels = 0;
    for (const RECT& r : themed.buttons) {
        buttonPixels += (r.right - r.left) * (r.bottom - r.top);
    }
    EXPECT_GT(PixelsThatDiffer(themed.picture, classic.picture, themed.buttons), buttonPixels / 4)
        << "the push buttons look as in the classic look: Wine's visual style did not apply";
}

TEST_F(ThemedLook, TheCaptureWindowReplaysACaptureAndListsItsFlows) {
    UseVisualStyle(true);
    const std::string name = "eth-udp-afs-rx-icmp";
    e2e::HostFolder folder("[main]\r\nidleseconds=1000000\r\n");
    Program program("\"" + testsupport::DataPath("pcap/" + name + ".pcap") + "\" --start", folder.Exe(), folder.Path());
    ASSERT_TRUE(program.Started());
    const HWND window = e2e::WaitForWindow(program.Pid(), "", capture_host::kWindowCaption, 30000, {},
                                           [&] { return !program.Running(); });
    ASSERT_NE(window, nullptr);
    const std::string expected = capture_bytes::ReferenceStatusLine(name);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, capture_host::kStatusLine) == expected; }, 30000))
        << e2e::Text(window, capture_host::kStatusLine);

    // Every reference flow is a row: its hosts, ports and bytes.
    const std::vector<std::string> flows = capture_bytes::ReadFlows(name);
    HWND list = GetDlgItem(GetDlgItem(window, capture_host::kListPane), capture_host::kTrafficList);
    ASSERT_TRUE(e2e::WaitUntil([&] { return lookout::ListViewRows(list) == static_cast<int>(flows.size()); }, 10000))
        << lookout::ListViewRows(list) << " rows, " << flows.size() << " flows";
    std::map<std::string, int> wanted;
    for (const std::string& flow : flows) {
        std::vector<std::string> f;
        size_t start = 0;
        for (size_t comma; (comma = flow.find(',', start)) != std::string::npos; start = comma + 1) {
            f.push_back(flow.substr(start, comma - start));
        }
        f.push_back(flow.substr(start));
        ++wanted[f[0] + " " + f[2] + " " + f[1] + " " + f[3] + " " + f[6]];
    }
    std::map<std::string, int> shown;
    for (int row = 0; row < lookout::ListViewRows(list); ++row) {
        ++shown[lookout::ListViewCell(list, row, capture::kColumnSourceHost) + " " +
                lookout::ListViewCell(list, row, capture::kColumnSourcePort) + " " +
                lookout::ListViewCell(list, row, capture::kColumnDestinationHost) + " " +
                lookout::ListViewCell(list, row, capture::kColumnDestinationPort) + " " +
                lookout::ListViewCell(list, row, capture::kColumnBytes)];
    }
    EXPECT_EQ(shown, wanted);

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

} // namespace
