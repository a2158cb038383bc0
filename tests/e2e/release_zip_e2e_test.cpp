// The 64-bit release zip as a Windows user unpacks it: release_zip_test.sh unpacks it into a fresh prefix
// and names the folder in BRISKLANE_RELEASE_FOLDER; both programs are started from there.
#include <gtest/gtest.h>

#include <cstdlib>

#include "capture_host.h"
#include "e2e_harness.h"
#include "picture.h"

namespace {

constexpr COLORREF kSkinTop = RGB(0xF4, 0xF8, 0xFC); // background-top of the shipped skin.smf
constexpr char kCapture[] = "eth-icmp-echo";

std::string Folder() {
    const char* folder = std::getenv("BRISKLANE_RELEASE_FOLDER");
    return folder != nullptr ? folder : "";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The screen's pixel at a point of the window's client area.
COLORREF ClientPixel(HWND window, POINT point) {
    ClientToScreen(window, &point);
    return lookout::GrabScreen(RECT{point.x, point.y, point.x + 1, point.y + 1}).At(0, 0);
}

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 3 && std::abs(GetGValue(a) - GetGValue(b)) <= 3 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 3;
}

class ReleaseZip : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Exists(Folder() + "\\Brisklane.exe")) << "run by release_zip_test.sh"; }
};

TEST_F(ReleaseZip, TheWindowStartsWithTheShippedSkinAndSavesItsSettingsBesideItself) {
    {
        e2e::Program program("", Folder() + "\\Brisklane.exe", Folder());
        HWND window = program.MainWindow();
        ASSERT_NE(window, nullptr);
        // The top left corner of the client area shows only the skin's background.
        EXPECT_TRUE(e2e::WaitUntil(
            [&] {
                return Near(ClientPixel(window, {3, 3}), kSkinTop);
            },
            10000))
            << std::hex << ClientPixel(window, {3, 3});
        e2e::Click(window, IDC_QUIT);
        ASSERT_TRUE(program.WaitForExit(30000));
    }
    EXPECT_TRUE(Exists(Folder() + "\\Brisklane.ini"));
}

TEST_F(ReleaseZip, TheCaptureHostReplaysACaptureOfTheUnpackedFolder) {
    const std::string captures = Folder() + "\\captures";
    const std::string capture = captures + "\\" + kCapture + ".pcap";
    CreateDirectoryA(captures.c_str(), nullptr);
    ASSERT_TRUE(
        CopyFileA(testsupport::DataPath(std::string("pcap/") + kCapture + ".pcap").c_str(), capture.c_str(), FALSE));
    const e2e::ConsoleRun run =
        e2e::RunConsole(Folder() + "\\BrisklaneCapture.exe", Folder(), "--console \"" + capture + "\"", 120000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput(kCapture));
    EXPECT_TRUE(Exists(Folder() + "\\BrisklaneCapture.ini"));
}

} // namespace
