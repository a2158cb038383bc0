// End to end: the capture host's window under Xvfb + Wine, driven from outside as a person would. It
// replays a capture, shows the rows and the status line with the account of every frame, obeys a filter,
// stops cleanly, and keeps its place and column widths in its INI file; its headers sort the list, Export
// writes it in that order, idle rows leave and the rate columns move during a paced replay, names arrive,
// and a log that could not be opened again stays switched off. It saves the packets it received, starts at
// once when told to, and with --timing says when its list showed the data's end and closes itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "capture/flows/traffic_view.h"
#include "capture/host/host_ids.h"
#include "capture_host.h"
#include "e2e_harness.h"
#include "lookout.h"

namespace {

using namespace capture_host;
using e2e::HostFolder;

constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
const std::string kCapture = "eth-mixed-http-dns-udp-icmp";

HWND FindHostWindow(const e2e::Program& program) {
    const HWND found =
        e2e::WaitForWindow(program.Pid(), "", kWindowCaption, 30000, {}, [&] { return !program.Running(); });
    DWORD exitCode = 0;
    if (found == nullptr && program.WaitForExit(0, &exitCode)) {
        std::fprintf(stderr, "the capture host ended before its window showed, with exit code 0x%lx\n", exitCode);
    }
    return found;
}

HWND ListOf(HWND window) {
    return GetDlgItem(GetDlgItem(window, kListPane), kTrafficList);
}

int ListRows(HWND window) {
    HWND list = ListOf(window);
    return list == nullptr ? -1 : lookout::ListViewRows(list);
}

std::vector<std::string> ListColumn(HWND list, int column) {
    std::vector<std::string> cells;
    const int rows = lookout::ListViewRows(list);
    for (int row = 0; row < rows; ++row) {
        cells.push_back(lookout::ListViewCell(list, row, column));
    }
    return cells;
}

HWND HeaderOf(HWND list) {
    return reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
}

// Presses and releases the left button over the middle of a column's header, as a click does.
void ClickHeader(HWND list, int column) {
    int x = 0;
    for (int i = 0; i < column; ++i) {
        x += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
    }
    x += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)) / 2;
    const LPARAM at = MAKELPARAM(x, 5);
    PostMessageA(HeaderOf(list), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(HeaderOf(list), WM_LBUTTONUP, 0, at);
}

// HDF_SORTUP, HDF_SORTDOWN or 0: the arrow a column's header shows.
int SortArrow(HWND list, int column) {
    const int format = lookout::HeaderItemFormat(HeaderOf(list), column);
    return format < 0 ? -1 : format & (HDF_SORTUP | HDF_SORTDOWN);
}

// Clicks a header and waits for its arrow.
bool SortBy(HWND list, int column, int arrow) {
    ClickHeader(list, column);
    return e2e::WaitUntil([&] { return SortArrow(list, column) == arrow; }, 10000);
}

std::vector<uint64_t> Numbers(const std::vector<std::string>& cells) {
    std::vector<uint64_t> numbers;
    for (const std::string& cell : cells) {
        numbers.push_back(cell.empty() ? 0 : std::stoull(cell));
    }
    return numbers;
}

uint32_t StatusPackets(HWND window) {
    unsigned packets = 0;
    return std::sscanf(e2e::Text(window, kStatusLine).c_str(), "All packets: %u", &packets) == 1 ? packets : 0;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool Enabled(HWND window, int id) {
    return IsWindowEnabled(GetDlgItem(window, id)) != FALSE;
}

// The reference totals of a capture without one protocol, from its flows: packets, and bytes less the
// fixed header of each datagram.
std::string StatusWithout(const std::string& name, int protocol) {
    uint64_t packets = 0;
    uint64_t bytes = 0;
    for (const std::string& line : capture_bytes::ReadFlows(name)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1) {
            fields.push_back(line.substr(start, comma - start));
        }
        fields.push_back(line.substr(start));
        const int flowProtocol = std::stoi(fields[4]);
        if (flowProtocol == protocol) {
            continue;
        }
        const uint64_t flowPackets = std::stoull(fields[5]);
        const uint64_t header = flowProtocol == 6                           ? 40
                                : (flowProtocol == 17 || flowProtocol == 2) ? 28
                                : flowProtocol == 4                         ? 20
                                                                            : 0;
        packets += flowPackets;
        bytes += std::stoull(fields[6]) - header * flowPackets;
    }
    return capture_bytes::StatusLine(packets, bytes);
}

TEST(CaptureWindow, ReplaysACaptureShowsItsRowsAndTotalsAndStopsCleanly) {
    HostFolder folder(kIni);
    const std::string capture = testsupport::DataPath("pcap/" + kCapture + ".pcap");
    e2e::Program program("\"" + capture + "\"", folder.Exe(), folder.Path());
    ASSERT_TRUE(program.Started());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(e2e::Text(window, kAdapterBox), capture) << "the adapter given on the command line";
    EXPECT_EQ(e2e::Text(window, kStatusLine), "All packets: 0     Total bytes: 0");
    EXPECT_FALSE(Enabled(window, kStopButton));

    e2e::Click(window, kStartButton);
    const std::string expected = capture_bytes::ReferenceStatusLine(kCapture);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << e2e::Text(window, kStatusLine);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListRows(window) == 57; }, 10000)) << ListRows(window);
    // Beside the totals, the account of every frame: 4185 read, 8 skipped (2 not IPv4, 6 ignored).
    const std::string frames = capture::FormatFramesShort(e2e::ReferenceFrameFigures(kCapture)) + "; 0 dropped";
    HWND statusBar = GetDlgItem(window, kStatusLine);
    EXPECT_TRUE(e2e::WaitUntil([&] { return lookout::StatusBarPart(statusBar, 1) == frames; }, 10000))
        << lookout::StatusBarPart(statusBar, 1) << " expected " << frames;
    EXPECT_TRUE(Enabled(window, kStopButton));
    EXPECT_FALSE(Enabled(window, kStartButton));
    EXPECT_FALSE(Enabled(window, kHostNames)) << "name lookups are set when capture starts";
    EXPECT_TRUE(Enabled(window, kFilterTcp)) << "filters apply at once";

    e2e::Click(window, kStopButton);
    EXPECT_TRUE(e2e::WaitUntil([&] { return Enabled(window, kStartButton); }, 10000));
    EXPECT_EQ(ListRows(window), 0) << "stopping deletes the rows";
    EXPECT_EQ(e2e::Text(window, kStatusLine), expected) << "the status line keeps the last totals";
    EXPECT_EQ(lookout::StatusBarPart(statusBar, 1), frames) << "and the last capture's frames";

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
    const std::string ini = folder.Ini();
    EXPECT_NE(ini.find("srcaddr=120"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("left=-1"), std::string::npos) << "the window's place is kept: " << ini;
    EXPECT_NE(ini.find("idleseconds=1000000"), std::string::npos);
}

TEST(CaptureWindow, IgnoringTcpLeavesOnlyTheOtherProtocols) {
    HostFolder folder(kIni);
    e2e::Program program("\"" + testsupport::DataPath("pcap/" + kCapture + ".pcap") + "\"", folder.Exe(),
                         folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    e2e::Click(window, kFilterTcp);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return SendMessageA(GetDlgItem(window, kFilterTcp), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    e2e::Click(window, kStartButton);
    const std::string expected = StatusWithout(kCapture, 6);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << e2e::Text(window, kStatusLine) << " expected " << expected;
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
    EXPECT_NE(folder.Ini().find("filtertcp=1"), std::string::npos);
}

TEST(CaptureWindow, ClosingDuringAPacedReplayStopsTheCaptureFirst) {
    HostFolder folder(kIni);
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    e2e::Program program("\"" + testsupport::DataPath("pcap/" + capture_bytes::LargeCaptureName() + ".pcap") + "\"",
                         folder.Exe(), folder.Path());
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    e2e::Click(window, kStartButton);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListRows(window) > 0; }, 30000));
    EXPECT_NE(e2e::Text(window, kStatusLine), "All packets: 0     Total bytes: 0");
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code)) << "closing waits for the capture thread, within its time-out";
    EXPECT_EQ(code, 0u);
}

TEST(CaptureWindow, HeaderClicksSortTheListAndExportWritesItInThatOrder) {
    HostFolder folder(kIni);
    e2e::Program program("\"" + testsupport::DataPath("pcap/" + kCapture + ".pcap") + "\"", folder.Exe(),
                         folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    e2e::Click(window, kStartButton);
    const std::string expected = capture_bytes::ReferenceStatusLine(kCapture);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000));
    HWND list = ListOf(window);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ListRows(window) == 57; }, 10000));

    const struct {
        const char* name;
        int column;
        int arrow;
    } clicks[] = {
        {"bytes", capture::kColumnBytes, HDF_SORTUP},
        {"bytes again", capture::kColumnBytes, HDF_SORTDOWN},
        {"source port", capture::kColumnSourcePort, HDF_SORTUP},
    };
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.name);
        ASSERT_TRUE(SortBy(list, click.column, click.arrow)) << SortArrow(list, click.column);
        std::vector<uint64_t> column = Numbers(ListColumn(list, click.column));
        if (click.arrow == HDF_SORTDOWN) {
            std::reverse(column.begin(), column.end());
        }
        EXPECT_TRUE(std::is_sorted(column.begin(), column.end())) << "numbers sort as numbers";
        EXPECT_NE(column.front(), column.back());
    }
    EXPECT_EQ(SortArrow(list, capture::kColumnBytes), 0) << "only the sorted column shows an arrow";

    e2e::Click(window, kExportButton);
    const e2e::SeenDialog dialog = e2e::WaitForDialog(program.Pid(), nullptr, 15000);
    ASSERT_NE(dialog.hwnd, nullptr);
    EXPECT_EQ(dialog.caption, "Export the list");
    const std::string exported = folder.File("sorted flows.csv");
    HWND name =
        GetDlgItem(dialog.hwnd, cmb13) != nullptr ? GetDlgItem(dialog.hwnd, cmb13) : GetDlgItem(dialog.hwnd, edt1);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(exported.c_str()));
    e2e::PressDialogButton(dialog.hwnd, IDOK);
    std::vector<std::string> lines;
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            lines = Lines(capture_bytes::ReadText(exported));
            return lines.size() == 58;
        },
        10000))
        << lines.size();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "src,dst,sport,dport,proto,packets,bytes");
    lines.erase(lines.begin());
    std::vector<std::string> ports;
    for (const std::string& line : lines) {
        const size_t second = line.find(',', line.find(',') + 1);
        ports.push_back(line.substr(second + 1, line.find(',', second + 1) - second - 1));
    }
    EXPECT_EQ(ports, ListColumn(list, capture::kColumnSourcePort)) << "the list's order";
    std::vector<std::string> reference = capture_bytes::ReadFlows(kCapture);
    std::sort(lines.begin(), lines.end());
    std::sort(reference.begin(), reference.end());
    EXPECT_EQ(lines, reference) << "the console's lines";

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
}

TEST(CaptureWindow, PacedReplayMovesTheRatesCountsTheTotalsAndIdleRowsLeave) {
    // Five one-datagram flows at the start, then one flow of growing datagrams every 100 ms for 5 s.
    using capture_bytes::Datagram;
    using capture_bytes::Frame;
    std::vector<capture_bytes::PcapFrame> frames;
    uint64_t payload = 0;
    for (uint16_t flow = 1; flow <= 5; ++flow) {
        frames.push_back({0, flow * 10000u, Frame(Datagram(17, 60, 0x0a000003, 0x0a000002, flow, flow))});
        payload += 60 - 28;
    }
    for (uint32_t i = 0; i < 50; ++i) {
        const auto length = static_cast<uint16_t>(100 + 20 * i);
        frames.push_back(
            {1 + i / 10, i % 10 * 100000, Frame(Datagram(17, length, 0x0a000001, 0x0a000002, 5000, 6000))});
        payload += length - 28u;
    }
    HostFolder folder("[main]\r\nidleseconds=1\r\n");
    const std::string capture = folder.Write("growing.pcap", capture_bytes::PcapFile(frames));
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    e2e::Program program("\"" + capture + "\"", folder.Exe(), folder.Path());
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    e2e::Click(window, kStartButton);
    HWND list = ListOf(window);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ListRows(window) > 0; }, 30000));
    ASSERT_TRUE(SortBy(list, capture::kColumnBytes, HDF_SORTUP));
    ASSERT_TRUE(SortBy(list, capture::kColumnBytes, HDF_SORTDOWN));

    // The growing flow tops the list: its interval and rate change from one update to the next, the
    // totals keep counting, and the other flows leave once idle for a second while it goes on.
    std::set<uint32_t> totals;
    std::set<std::string> intervals;
    std::set<std::string> rates;
    bool othersLeft = false;
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            const uint32_t packets = StatusPackets(window);
            totals.insert(packets);
            if (lookout::ListViewCell(list, 0, capture::kColumnSourcePort) == "5000") {
                intervals.insert(lookout::ListViewCell(list, 0, capture::kColumnIntervalBytes));
                rates.insert(lookout::ListViewCell(list, 0, capture::kColumnAverageRate));
                othersLeft = othersLeft || (ListRows(window) == 1 && packets < 55);
            }
            intervals.erase("");
            rates.erase("");
            return intervals.size() >= 2 && rates.size() >= 2 && totals.size() >= 3 && othersLeft;
        },
        20000, 100))
        << ::testing::PrintToString(intervals) << " intervals, " << ::testing::PrintToString(rates) << " rates, "
        << totals.size() << " totals, others left: " << othersLeft;

    const std::string expected = capture_bytes::StatusLine(55, payload);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << e2e::Text(window, kStatusLine);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListRows(window) == 0; }, 10000))
        << ListRows(window) << " rows seconds after the traffic ended";
    EXPECT_TRUE(Enabled(window, kStopButton)) << "the capture still runs";
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(CaptureWindow, HostNamesArriveInTheirCells) {
    HostFolder folder("[main]\r\nidleseconds=1000000\r\nnsresolve=1\r\n");
    // Only the loopback address, which the system names without asking the network.
    using capture_bytes::Datagram;
    using capture_bytes::Frame;
    const std::string capture =
        folder.Write("loopback.pcap",
                     capture_bytes::PcapFile({{0, 0, Frame(Datagram(17, 100, 0x7f000001, 0x7f000001, 1000, 2000))}}));
    e2e::Program program("\"" + capture + "\"", folder.Exe(), folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(GetDlgItem(window, kHostNames), BM_GETCHECK, 0, 0), BST_CHECKED);
    e2e::Click(window, kStartButton);
    HWND list = ListOf(window);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return lookout::ListViewCell(list, 0, capture::kColumnSourceHost) == "localhost"; }, 15000))
        << lookout::ListViewCell(list, 0, capture::kColumnSourceHost);
    EXPECT_EQ(lookout::ListViewCell(list, 0, capture::kColumnSourcePort), "1000");
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
}

TEST(CaptureWindow, LogThatCannotBeOpenedAgainIsSavedSwitchedOff) {
    HostFolder probe("");
    const std::string log = probe.File("capture.log");
    HostFolder folder(
        "[main]\r\nidleseconds=1000000\r\n[log]\r\nuselogfile=1\r\nlogtype=0\r\nmbdelete=1\r\nlogfile=" + log + "\r\n");
    // Another program maps the log: appending works, emptying it (when it passes 1 MiB) does not.
    std::ofstream(log, std::ios::binary) << "seen by another program\r\n";
    HANDLE file = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);

    e2e::Program program("\"" + testsupport::DataPath("pcap/" + kCapture + ".pcap") + "\"", folder.Exe(),
                         folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(GetDlgItem(window, kUseLogFile), BM_GETCHECK, 0, 0), BST_CHECKED);
    e2e::Click(window, kStartButton);
    const e2e::SeenDialog warning = e2e::WaitForDialog(program.Pid(), nullptr, 30000);
    ASSERT_NE(warning.hwnd, nullptr);
    EXPECT_EQ(warning.caption, "Warning");
    EXPECT_NE(warning.text.find("Cannot open log file \"" + log + "\" for writing!"), std::string::npos)
        << warning.text;
    e2e::PressDialogButton(warning.hwnd, IDOK);
    const std::string expected = capture_bytes::ReferenceStatusLine(kCapture);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << "capture goes on without the log";
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return SendMessageA(GetDlgItem(window, kUseLogFile), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 5000))
        << "the window shows logging off";
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
    EXPECT_NE(folder.Ini().find("uselogfile=0"), std::string::npos) << folder.Ini();

    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
}

TEST(CaptureWindow, SavesTheReceivedPacketsWhereItIsTold) {
    HostFolder folder(kIni);
    const std::string capture = testsupport::DataPath("pcap/" + kCapture + ".pcap");
    e2e::Program program("\"" + capture + "\"", folder.Exe(), folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    const std::string saved = folder.File("saved.pcap");
    SendMessageA(GetDlgItem(window, kSavePacketsEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(saved.c_str()));
    e2e::Click(window, kStartButton);
    const std::string expected = capture_bytes::ReferenceStatusLine(kCapture);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << e2e::Text(window, kStatusLine);
    EXPECT_FALSE(Enabled(window, kSavePacketsEdit)) << "where the packets go is set when capture starts";
    e2e::Click(window, kStopButton);
    EXPECT_TRUE(e2e::WaitUntil([&] { return Enabled(window, kStartButton); }, 10000));
    EXPECT_EQ(e2e::CompareSavedPackets(capture, saved, 1), "");
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
}

TEST(CaptureWindow, StartsAtOnceWhenTold) {
    HostFolder folder(kIni);
    e2e::Program program("\"" + testsupport::DataPath("pcap/" + kCapture + ".pcap") + "\" --start", folder.Exe(),
                         folder.Path());
    HWND window = FindHostWindow(program);
    ASSERT_NE(window, nullptr);
    const std::string expected = capture_bytes::ReferenceStatusLine(kCapture);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(window, kStatusLine) == expected; }, 30000))
        << e2e::Text(window, kStatusLine);
    EXPECT_TRUE(Enabled(window, kStopButton));
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
}

TEST(CaptureWindow, ATimedStartSaysWhenTheListShowedTheDataAndClosesItself) {
    HostFolder folder(kIni);
    const std::string notACapture = folder.Write("notes.pcap", capture_bytes::Bytes(100, 'x'));
    const struct {
        std::string capture;
        DWORD exitCode;
        std::string message;
    } cases[] = {
        {testsupport::DataPath("pcap/" + kCapture + ".pcap"), 0,
         "capture: the list showed the last of " + std::to_string(capture_bytes::ReadFlows(kCapture).size()) +
             " flows "},
        // Nobody watches a timed run: what would be a message box goes to standard error.
        {notACapture, 1, "Error: Unable to open the driver"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capture);
        const e2e::ConsoleRun run = e2e::RunHost(folder, "\"" + c.capture + "\" --start --timing", 60000);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

} // namespace
