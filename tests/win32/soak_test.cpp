// Long runs that must leave nothing behind: capture started and stopped 100 times in the capture host's
// window on a replayed file, acceleration stopped and started 1,000 times through its socket seam, and
// 10,000 ticks of the main dialog's statistics timer. Each run prints the process's figures before and
// after, and fails when one has grown beyond its allowance. One round of each runs before the first
// figures are taken, so that what is made once per process (a loaded library, a cache) does not count.
#include "capture/engine/capture_engine.h"
#include "capture/host/capture_window.h"
#include "capture/host/host_ids.h"
#include "dialog_runner.h"
#include "files.h"
#include "lookout.h"
#include "process_figures.h"

#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using testsupport::FiguresOfThisProcess;
using testsupport::ProcessFigures;

// Growth allowed over a whole run. Threads and windows must come back exactly; a few handles and GDI
// objects may be cached by the platform, and the heap may keep some memory it does not give back.
constexpr testsupport::GrowthAllowance kAllowance = {0, 8, 8, 0, 4.0};

bool AnyGrew(const std::vector<testsupport::FigureOutcome>& outcomes) {
    for (const testsupport::FigureOutcome& figure : outcomes) {
        if (figure.outcome == testsupport::Outcome::Grew) {
            return true;
        }
    }
    return false;
}

// Threads that have said they are done take a moment to go: waits (serving messages) until no figure has
// grown beyond its allowance or 10 seconds have passed, then prints and checks each figure. A figure that
// could not be counted is reported as not measured: it shows neither a leak nor its absence.
void ExpectNoGrowth(const char* run, const ProcessFigures& before) {
    ProcessFigures after = FiguresOfThisProcess();
    (void)fw::PumpUntil(
        [&] {
            after = FiguresOfThisProcess();
            return !AnyGrew(testsupport::CompareFigures(before, after, kAllowance));
        },
        10000);
    const std::vector<testsupport::FigureOutcome> outcomes = testsupport::CompareFigures(before, after, kAllowance);
    std::printf("soak: %s\n  before: %s\n  after:  %s\n", run, testsupport::Describe(before).c_str(),
                testsupport::Describe(after).c_str());
    size_t measured = 0;
    for (const testsupport::FigureOutcome& figure : outcomes) {
        std::printf("  %s\n", figure.text.c_str());
        measured += figure.outcome == testsupport::Outcome::NotMeasured ? 0 : 1;
        EXPECT_NE(figure.outcome, testsupport::Outcome::Grew) << run << ": " << figure.text;
    }
    std::fflush(stdout);
    if (measured == 0) {
        GTEST_SKIP() << run << ": no figure of the process could be counted here";
    }
}

class Soak : public testsupport::DialogTest {};

TEST_F(Soak, CaptureStartedAndStoppedAHundredTimesInTheHostWindow) {
    const std::string capture = "eth-tcp-syn-scan";
    const std::string expected = capture_bytes::ReferenceStatusLine(capture);
    CCaptureWindow window;
    ASSERT_TRUE(window.Create(false));
    (void)window.ShowWindow(SW_SHOWNORMAL);
    window.SetAdapter(testsupport::DataPath("pcap/" + capture + ".pcap"));
    HWND status = ::GetDlgItem(window.m_hWnd, capture_host::kStatusLine);
    // Each round replays the whole file into the list before it stops.
    const auto round = [&] {
        ASSERT_TRUE(window.StartCapturing());
        ASSERT_TRUE(fw::PumpUntil([&] { return lookout::WindowText(status) == expected; }, 30000))
            << lookout::WindowText(status);
        window.StopCapturing();
    };
    round();
    const ProcessFigures before = FiguresOfThisProcess();
    constexpr int kRounds = 100;
    for (int i = 0; i < kRounds && !HasFatalFailure(); ++i) {
        round();
    }
    ExpectNoGrowth("100 capture start and stop cycles in the capture host's window", before);
    EXPECT_TRUE(boxes_.Boxes().empty()) << boxes_.Boxes().front().text;
    (void)window.DestroyWindow();
}

TEST_F(Soak, AccelerationStoppedAndStartedAThousandTimes) {
    CHollowmereDlg dialog;
    dialog.m_openRawSocket = testsupport::QuietOpener();
    testsupport::RunModal(dialog, [&] {
        ASSERT_EQ(net::accelerationRunning, 1);
        const auto press = [&] { (void)dialog.GetDlgItem(IDC_ACCELERATE)->SendMessage(BM_CLICK); };
        press();
        press();
        ASSERT_TRUE(WaitForWatcherExits(1));
        const ProcessFigures before = FiguresOfThisProcess();
        constexpr size_t kCycles = 1000;
        for (size_t i = 0; i < kCycles; ++i) {
            press(); // stop
            press(); // start
        }
        ASSERT_EQ(net::accelerationRunning, 1);
        ASSERT_TRUE(WaitForWatcherExits(1 + kCycles, 30000)) << WatcherExits().size();
        ExpectNoGrowth("1,000 acceleration stop and start cycles", before);
    });
}

// The clock in seconds since start-up.
int32_t DurationSeconds(const CHollowmereDlg& dialog) {
    return dialog.m_nDurSeconds + 60 * (dialog.m_nDurMinutes + 60 * dialog.m_nDurHours);
}

// Ticks the statistics timer `ticks` times and checks the figures.
void Tick(CHollowmereDlg& dialog, int ticks, const char* run) {
    const auto tick = [&] { (void)dialog.SendMessage(WM_TIMER, kStatisticsTimer, 0); };
    tick();
    const int32_t secondsBefore = DurationSeconds(dialog);
    const ProcessFigures before = FiguresOfThisProcess();
    for (int i = 0; i < ticks; ++i) {
        tick();
    }
    // The real timer may tick meanwhile too.
    EXPECT_GE(DurationSeconds(dialog) - secondsBefore, ticks);
    ExpectNoGrowth(run, before);
}

TEST_F(Soak, TenThousandStatisticsTicks) {
    CHollowmereDlg dialog;
    dialog.m_openRawSocket = testsupport::QuietOpener();
    testsupport::RunModal(dialog, [&] {
        // WinINet's connection query takes milliseconds under Wine: it is asked for real in a shorter run,
        // then answered at once for the long one, in which every other call of the tick is the platform's.
        Tick(dialog, 500, "500 ticks of the main dialog's statistics timer");
        dialog.m_connectedState = [](DWORD* flags) {
            *flags = INTERNET_CONNECTION_LAN;
            return TRUE;
        };
        Tick(dialog, 10000,
             "10,000 ticks of the main dialog's statistics timer (the connection state answered by the test)");
        EXPECT_EQ(dialog.GetDlgItem(IDC_TYPE)->GetWindowText(), " LAN ");
    });
}

} // namespace
