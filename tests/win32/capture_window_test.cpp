// The capture host's window in the test process: closing it never waits for a name lookup, and its status
// line says what the capture dropped.
#include "capture/host/capture_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "capture/engine/capture_engine.h"
#include "capture/host/host_ids.h"
#include "capture/settings/settings.h"
#include "capture_globals.h"
#include "files.h"
#include "framework/message_loop.h"
#include "message_boxes.h"

#include <commctrl.h>

namespace {

using capture_host::kStatusLine;

std::string StatusPart(HWND window, int part) {
    char text[300] = {};
    (void)SendDlgItemMessageA(window, kStatusLine, SB_GETTEXTA, static_cast<WPARAM>(part),
                              reinterpret_cast<LPARAM>(text));
    return text;
}

class CaptureWindow : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        (void)InitCommonControlsEx(&controls);
        static_cast<capture::SettingsValues&>(theSettings) = capture::SettingsValues{};
        theSettings.idleseconds = 1000000;
    }
    void TearDown() override {
        testHostLookup = {};
        (void)theNameCache.SetEnabled(0);
    }
    testsupport::MessageBoxRecorder boxes;
};

TEST_F(CaptureWindow, ClosingItWaitsForNoNameLookup) {
    std::atomic<bool> asked{false};
    testHostLookup = [&asked](uint32_t, std::string& name) {
        asked = true;
        Sleep(4000); // a resolver that takes its time
        name = "slow.example";
        return true;
    };
    theSettings.nsresolve = 1;
    DWORD start = 0;
    {
        CCaptureWindow window;
        ASSERT_TRUE(window.Create(false));
        window.SetAdapter(testsupport::DataPath("pcap/eth-icmp-echo.pcap"));
        ASSERT_TRUE(window.StartCapturing());
        ASSERT_TRUE(fw::PumpUntil([&] { return asked.load() && WaitForCaptureEnd(0); }, 10000));
        start = GetTickCount();
        (void)window.SendMessage(WM_CLOSE);
    } // the window object goes too, with its names
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(CaptureWindow, TheStatusLineSaysWhatTheCaptureDropped) {
    CCaptureWindow window;
    ASSERT_TRUE(window.Create(false));
    window.SetAdapter(testsupport::DataPath("pcap/eth-icmp-echo.pcap"));
    ASSERT_TRUE(window.StartCapturing());
    ASSERT_TRUE(fw::PumpUntil([] { return WaitForCaptureEnd(0); }, 10000));
    window.StopCapturing();
    EXPECT_EQ(StatusPart(window.m_hWnd, 1), "Frames: 8 read, 0 skipped; 0 dropped")
        << "a replay drops nothing, and the figures stay";
    (void)window.SendMessage(WM_CLOSE);
}

} // namespace
