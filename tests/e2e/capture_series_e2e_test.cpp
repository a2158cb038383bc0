// End to end: the traffic over time. The console's --series-out against the seconds each real capture
// holds, worked out independently; --flows-out holding every flow of a paced replay whose rows go idle;
// files that cannot be written. The window: its graph hidden from the View menu and remembered across a
// restart, and the File menu's history and series.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "capture/host/host_ids.h"
#include "capture_host.h"
#include "reference_series.h"

namespace {

using namespace capture_host;
using e2e::ConsoleRun;
using e2e::HostFolder;

constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
constexpr DWORD kRunTimeoutMs = 120000;

// Packets and bytes per flow key ("src,dst,sport,dport,proto"), from lines that begin with the key and
// those two counts: the reference's, or those of a history (which must have its header and nothing else
// first, and a capture time after the counts).
std::map<std::string, std::pair<uint64_t, uint64_t>> CountsPerFlow(const std::string& text, bool history) {
    std::map<std::string, std::pair<uint64_t, uint64_t>> counts;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    if (history && line != "src,dst,sport,dport,proto,packets,bytes,first_seen,last_seen") {
        return {{"a wrong header", {0, 0}}};
    }
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) {
            fields.push_back(cell);
        }
        if (fields.size() != (history ? 9u : 8u) || (history && !fields[8].ends_with("Z"))) {
            return {{"a wrong line: " + line, {0, 0}}};
        }
        auto& [packets, bytes] =
            counts[fields[0] + "," + fields[1] + "," + fields[2] + "," + fields[3] + "," + fields[4]];
        packets += std::stoull(fields[5]);
        bytes += std::stoull(fields[6]);
    }
    return counts;
}

std::string ReferenceSeries(const std::string& name) {
    return capture_bytes::ReferenceSeriesCsv(
        capture_bytes::ReadReferenceSeconds(capture_bytes::DataFile(name + ".pcap")));
}

std::string Capture(const std::string& name) {
    return "\"" + testsupport::DataPath("pcap/" + name + ".pcap") + "\"";
}

TEST(ConsoleSeries, EverySharedCaptureGivesTheSecondsItsFileHolds) {
    HostFolder folder(kIni);
    const std::string series = folder.File("series.csv");
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        const ConsoleRun run =
            e2e::RunHost(folder, "--console " + Capture(name) + " --series-out \"" + series + "\"", kRunTimeoutMs);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput(name));
        EXPECT_EQ(capture_bytes::ReadText(series), ReferenceSeries(name));
    }
}

TEST(ConsoleFlowHistory, APacedReplayWhoseRowsGoIdleHasEveryFlowWithItsFinalCounts) {
    HostFolder folder("[main]\r\nidleseconds=1\r\n"); // rows idle for a second leave while the capture runs
    const std::string history = folder.File("history.csv");
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    const std::string large = capture_bytes::LargeCaptureName();
    const ConsoleRun run =
        e2e::RunHost(folder, "--console " + Capture(large) + " --flows-out \"" + history + "\"", kRunTimeoutMs);
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const auto reference = CountsPerFlow(capture_bytes::ReadText(capture_bytes::DataFile(large + ".flows.csv")), false);
    const auto printed = static_cast<size_t>(std::count(run.out.begin(), run.out.end(), '\n')) - 2; // no header, totals
    EXPECT_LT(printed, reference.size() - 100) << "rows left the list before the end";
    EXPECT_EQ(CountsPerFlow(capture_bytes::ReadText(history), true), reference);
}

TEST(ConsoleSeries, FilesThatCannotBeWrittenAreReported) {
    HostFolder folder(kIni);
    const std::tuple<const char*, DWORD, const char*> cases[] = {
        {"--series-out Z:\\nonexistent\\s.csv", 1, "Error: The series cannot be written: cannot create "},
        {"--flows-out Z:\\nonexistent\\h.csv", 1, "Error: The flow history cannot be kept: cannot open "},
        {"--series-out Z:\\dev\\full", 3, "Error: The series could not all be written: writing \"Z:\\dev\\full\""},
        {"--flows-out Z:\\dev\\full", 3, "Error: The flow history could not all be written: writing \"Z:\\dev\\full\""},
    };
    for (const auto& [option, exitCode, message] : cases) {
        SCOPED_TRACE(option);
        const ConsoleRun run =
            e2e::RunHost(folder, "--console " + Capture("eth-icmp-echo") + " " + option, kRunTimeoutMs);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, exitCode == 3 ? e2e::ExpectedConsoleOutput("eth-icmp-echo") : "") << "printed all the same";
    }
}

HWND FindHostWindow(const e2e::Program& program) {
    return e2e::WaitForWindow(program.Pid(), "", kWindowCaption, 30000, {}, [&] { return !program.Running(); });
}

TEST(CaptureWindowGraph, HidingTheGraphIsRememberedAcrossARestart) {
    HostFolder folder(kIni);
    for (const bool shownAtStart : {true, false}) {
        e2e::Program program("", folder.Exe(), folder.Path());
        HWND window = FindHostWindow(program);
        ASSERT_NE(window, nullptr);
        const auto shown = [window] { return IsWindowVisible(GetDlgItem(window, kTrafficGraph)) != FALSE; };
        EXPECT_EQ(shown(), shownAtStart);
        PostMessageA(window, WM_COMMAND, kShowGraphCommand, 0); // View > Traffic graph
        EXPECT_TRUE(e2e::WaitUntil([&] { return shown() != shownAtStart; }, 10000));
        const e2e::RegValue stored = e2e::RegQuery(e2e::kProductKey + "\\Capture", "ShowGraph");
        EXPECT_EQ(stored.type + " " + stored.data, shownAtStart ? "REG_DWORD 0x0" : "REG_DWORD 0x1");
        PostMessageA(window, WM_COMMAND, kExitCommand, 0); // File > Exit
        ASSERT_TRUE(program.WaitForExit(15000));
    }
}

// Answers the file dialog that a menu command opened with a file name.
void AnswerFileDialog(const e2e::Program& program, const char* caption, const std::string& path) {
    const e2e::SeenDialog dialog = e2e::WaitForDialog(program.Pid(), nullptr, 15000);
    ASSERT_EQ(dialog.caption, caption);
    HWND name =
        GetDlgItem(dialog.hwnd, cmb13) != nullptr ? GetDlgItem(dialog.hwnd, cmb13) : GetDlgItem(dialog.hwnd, edt1);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    e2e::PressDialogButton(dialog.hwnd, IDOK);
}

TEST(CaptureWindowGraph, TheFileMenuKeepsTheHistoryAndSavesTheSeries) {
    HostFolder folder(kIni);
    const std::string name = "eth-mixed-http-dns-udp-icmp";
    e2e::Program program(Capture(name), folder.Exe(), folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_COMMAND, kKeepHistoryCommand, 0);
    AnswerFileDialog(program, "Keep the history of the flows in", folder.File("history.csv"));
    e2e::Click(window, kStartButton);
    const std::string expected = capture_bytes::ReferenceStatusLine(name);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000));
    e2e::Click(window, kStopButton);
    ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, kStartButton)) != FALSE; }, 10000));
    EXPECT_EQ(CountsPerFlow(capture_bytes::ReadText(folder.File("history.csv")), true),
              CountsPerFlow(capture_bytes::ReadText(capture_bytes::DataFile(name + ".flows.csv")), false));

    // The series of the capture that has stopped.
    PostMessageA(window, WM_COMMAND, kSaveSeriesCommand, 0);
    AnswerFileDialog(program, "Save the traffic of each second", folder.File("series.csv"));
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return capture_bytes::ReadText(folder.File("series.csv")) == ReferenceSeries(name); }, 10000));
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
}

} // namespace
