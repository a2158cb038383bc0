// End to end: the traffic over time. The console's --series-out against bins worked out from each shared
// capture independently, --flows-out holding every flow of a paced replay whose rows go idle, files that
// cannot be written; and the window: its graph hidden and shown from the View menu and remembered across a
// restart, and the File menu's history and series.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <map>
#include <sstream>
#include <tuple>

#include "capture/host/host_ids.h"
#include "capture_host.h"
#include "reference_series.h"

namespace {

using namespace capture_host;
using e2e::ConsoleRun;
using e2e::HostFolder;

constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
constexpr DWORD kRunTimeoutMs = 120000;
constexpr char kHistoryHeader[] = "src,dst,sport,dport,proto,packets,bytes,first_seen,last_seen";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Per flow key ("src,dst,sport,dport,proto"): packets and bytes.
using FlowCounts = std::map<std::string, std::pair<uint64_t, uint64_t>>;

FlowCounts ReferenceCounts(const std::string& captureName) {
    FlowCounts counts;
    for (const std::string& line : capture_bytes::ReadFlows(captureName)) {
        size_t packets = 0;
        size_t bytes = 0;
        const size_t keyEnd =
            line.find(',', line.find(',', line.find(',', line.find(',', line.find(',') + 1) + 1) + 1) + 1);
        std::istringstream in(line.substr(keyEnd + 1));
        char comma = 0;
        in >> packets >> comma >> bytes;
        counts[line.substr(0, keyEnd)] = {packets, bytes};
    }
    return counts;
}

// The history's lines summed per flow key; problem says what was wrong with a line, if anything.
FlowCounts HistoryCounts(const std::vector<std::string>& lines, std::string& problem) {
    FlowCounts counts;
    for (const std::string& line : lines) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');) {
            fields.push_back(field);
        }
        if (fields.size() != 9 || fields[7].size() != 27 || fields[7].back() != 'Z' || fields[8] < fields[7]) {
            problem = "a line that is not a flow's history: " + line;
            return counts;
        }
        auto& [packets, bytes] =
            counts[fields[0] + "," + fields[1] + "," + fields[2] + "," + fields[3] + "," + fields[4]];
        packets += std::stoull(fields[5]);
        bytes += std::stoull(fields[6]);
    }
    return counts;
}

TEST(ConsoleSeries, EverySharedCaptureGivesTheSecondsItsFileHolds) {
    HostFolder folder(kIni);
    const std::string series = folder.File("series.csv");
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        const ConsoleRun run = e2e::RunHost(folder,
                                            "--console \"" + testsupport::DataPath("pcap/" + name + ".pcap") +
                                                "\" --series-out \"" + series + "\"",
                                            kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.out, e2e::ExpectedConsoleOutput(name)) << "the flows are printed as ever";
        EXPECT_EQ(capture_bytes::ReadText(series),
                  capture_bytes::ReferenceSeriesCsv(
                      capture_bytes::ReadReferenceSeconds(capture_bytes::DataFile(name + ".pcap"))));
    }
}

TEST(ConsoleFlowHistory, APacedReplayWhoseRowsGoIdleHasEveryFlowWithItsFinalCounts) {
    // Rows idle for a second leave the list while the capture runs; a flow that comes back starts a new row.
    HostFolder folder("[main]\r\nidleseconds=1\r\n");
    const std::string name = "eth-tcp-bulk-large";
    const std::string history = folder.File("history.csv");
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    const ConsoleRun run = e2e::RunHost(
        folder, "--console \"" + testsupport::DataPath("pcap/" + name + ".pcap") + "\" --flows-out \"" + history + "\"",
        kRunTimeoutMs);
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const size_t printed = Lines(run.out).size() - 2; // the header and the status line
    const FlowCounts reference = ReferenceCounts(name);
    EXPECT_LT(printed, reference.size()) << "rows left the list before the end";

    std::vector<std::string> lines = Lines(capture_bytes::ReadText(history));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), kHistoryHeader);
    lines.erase(lines.begin());
    EXPECT_GE(lines.size(), reference.size());
    std::string problem;
    const FlowCounts counted = HistoryCounts(lines, problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(counted, reference);
}

TEST(ConsoleSeries, FilesThatCannotBeWrittenAreReported) {
    HostFolder folder(kIni);
    const std::string capture = testsupport::DataPath("pcap/eth-icmp-echo.pcap");
    const struct {
        const char* name;
        std::string option;
        DWORD exitCode;
        const char* message;
        bool flowsPrinted;
    } cases[] = {
        {"series, no such folder", "--series-out Z:\\nonexistent\\series.csv", 1,
         "Error: The series cannot be written: cannot create \"Z:\\nonexistent\\series.csv\"", false},
        {"history, no such folder", "--flows-out Z:\\nonexistent\\history.csv", 1,
         "Error: The flow history cannot be kept: cannot open \"Z:\\nonexistent\\history.csv\"", false},
        {"series, a full disk", "--series-out Z:\\dev\\full", 3,
         "Error: The series could not all be written: writing \"Z:\\dev\\full\" failed: ", true},
        {"history, a full disk", "--flows-out Z:\\dev\\full", 3,
         "Error: The flow history could not all be written: writing \"Z:\\dev\\full\" failed: ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ConsoleRun run = e2e::RunHost(folder, "--console \"" + capture + "\" " + c.option, kRunTimeoutMs);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, c.flowsPrinted ? e2e::ExpectedConsoleOutput("eth-icmp-echo") : "");
    }
}

// ---- The window ----

HWND FindHostWindow(const e2e::Program& program) {
    return e2e::WaitForWindow(program.Pid(), "", kWindowCaption, 30000, {}, [&] { return !program.Running(); });
}

bool GraphShown(HWND window) {
    return IsWindowVisible(GetDlgItem(window, kTrafficGraph)) != FALSE;
}

const std::string kGraphKey = e2e::kProductKey + "\\Capture";

TEST(CaptureWindowGraph, HidingTheGraphIsRememberedAcrossARestart) {
    HostFolder folder(kIni);
    for (const bool shownAtStart : {true, false}) {
        SCOPED_TRACE(shownAtStart ? "shown at the start" : "hidden at the start");
        e2e::Program program("", folder.Exe(), folder.Path());
        HWND window = FindHostWindow(program);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GraphShown(window), shownAtStart);
        PostMessageA(window, WM_COMMAND, kShowGraphCommand, 0); // View > Traffic graph
        EXPECT_TRUE(e2e::WaitUntil([&] { return GraphShown(window) != shownAtStart; }, 10000));
        const e2e::RegValue stored = e2e::RegQuery(kGraphKey, "ShowGraph");
        EXPECT_EQ(stored.type, "REG_DWORD");
        EXPECT_EQ(stored.data, shownAtStart ? "0x0" : "0x1");
        PostMessageA(window, WM_COMMAND, kExitCommand, 0); // File > Exit
        DWORD code = 99;
        ASSERT_TRUE(program.WaitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }
    EXPECT_TRUE(e2e::Reg("delete " + kGraphKey + " /f"));
}

// Answers the file dialog that a menu command opened with a file name.
void AnswerFileDialog(const e2e::Program& program, const char* caption, const std::string& path) {
    const e2e::SeenDialog dialog = e2e::WaitForDialog(program.Pid(), nullptr, 15000);
    ASSERT_NE(dialog.hwnd, nullptr);
    EXPECT_EQ(dialog.caption, caption);
    HWND name =
        GetDlgItem(dialog.hwnd, cmb13) != nullptr ? GetDlgItem(dialog.hwnd, cmb13) : GetDlgItem(dialog.hwnd, edt1);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    e2e::PressDialogButton(dialog.hwnd, IDOK);
}

TEST(CaptureWindowGraph, TheFileMenuKeepsTheHistoryAndSavesTheSeries) {
    // Paced, with rows that leave the list once idle for a second.
    HostFolder folder("[main]\r\nidleseconds=1\r\n");
    const std::string name = "eth-mixed-http-dns-udp-icmp";
    const std::string history = folder.File("history.csv");
    const std::string series = folder.File("series.csv");
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    e2e::Program program("\"" + testsupport::DataPath("pcap/" + name + ".pcap") + "\"", folder.Exe(), folder.Path());
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);

    PostMessageA(window, WM_COMMAND, kKeepHistoryCommand, 0);
    AnswerFileDialog(program, "Keep the history of the flows in", history);
    e2e::Click(window, kStartButton);
    const auto capturing = [&] { return IsWindowEnabled(GetDlgItem(window, kStopButton)) != FALSE; };
    ASSERT_TRUE(e2e::WaitUntil(capturing, 10000));
    EXPECT_TRUE(
        e2e::WaitUntil([&] { return Lines(capture_bytes::ReadText(history)).size() > 1 && capturing(); }, 30000))
        << "the rows that went idle are on record while the capture runs";
    const std::string expected = capture_bytes::ReferenceStatusLine(name);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000));
    e2e::Click(window, kStopButton);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !capturing(); }, 10000));

    // Every flow, with its final counts: the rows that left while it ran, and those there when it stopped.
    std::vector<std::string> lines = Lines(capture_bytes::ReadText(history));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), kHistoryHeader);
    lines.erase(lines.begin());
    std::string problem;
    EXPECT_EQ(HistoryCounts(lines, problem), ReferenceCounts(name));
    EXPECT_EQ(problem, "");

    // The series of the capture that has stopped.
    PostMessageA(window, WM_COMMAND, kSaveSeriesCommand, 0);
    AnswerFileDialog(program, "Save the traffic of each second", series);
    const std::string reference =
        capture_bytes::ReferenceSeriesCsv(capture_bytes::ReadReferenceSeconds(capture_bytes::DataFile(name + ".pcap")));
    EXPECT_TRUE(e2e::WaitUntil([&] { return capture_bytes::ReadText(series) == reference; }, 10000))
        << capture_bytes::ReadText(series);

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
}

} // namespace
