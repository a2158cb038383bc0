// The capture engine under Wine with a real list view and status window: replay through the stand-in,
// the failure messages, stopping, the periodic update on an idle adapter, and a scripted library for the
// failures a file cannot produce.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

#include "capture/engine/capture_engine.h"
#include "capture/engine/packet_library.h"
#include "capture/flows/flow_csv.h"
#include "capture/flows/list_view_view.h"
#include "capture/flows/traffic_list.h"
#include "capture/names/name_resolver.h"
#include "capture/settings/settings.h"
#include "files.h"
#include "framework/message_loop.h"
#include "framework/thread.h"
#include "lookout.h"
#include "message_boxes.h"

#include <commctrl.h>

namespace {

using capture_bytes::Bytes;
using fw::PumpUntil;
using testsupport::DataPath;
using testsupport::MessageBoxRecorder;
using testsupport::TempFolder;

// The list's parent, as a host's: answers the list's questions from theTrafficList.
LRESULT CALLBACK ListParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_NOTIFY &&
        capture::AnswerListNotify(theTrafficList, *reinterpret_cast<const NMHDR*>(lParam), result)) {
        return result;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden owner-data report list with the eight columns, whose parent answers it from theTrafficList as a
// host's does, and a status window, set as the engine's trafficListView and statusWindow while it lives.
class HostWindows {
public:
    HostWindows() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        (void)InitCommonControlsEx(&controls);
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = ListParentProc;
        parentClass.hInstance = GetModuleHandleA(nullptr);
        parentClass.lpszClassName = "BrisklaneTestListParent";
        (void)RegisterClassA(&parentClass);
        parent_ = CreateWindowExA(0, parentClass.lpszClassName, "", WS_POPUP, 0, 0, 800, 400, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 800, 400,
                                parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
        for (int column = 0; column < 8; ++column) {
            LVCOLUMNA heading{};
            heading.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            heading.cx = 80;
            heading.pszText = const_cast<char*>("c");
            heading.iSubItem = column;
            (void)SendMessageA(list_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&heading));
        }
        status_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 20, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
        trafficListView = list_;
        statusWindow = status_;
    }
    ~HostWindows() {
        trafficListView = nullptr;
        statusWindow = nullptr;
        (void)DestroyWindow(parent_);
        (void)DestroyWindow(status_);
    }
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;

    HWND List() const { return list_; }
    int RowCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(int row, int column) const {
        char text[300] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        (void)SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::string StatusText() const { return lookout::WindowText(status_); }

private:
    HWND parent_ = nullptr;
    HWND list_ = nullptr;
    HWND status_ = nullptr;
};

// Counts the engine's thread starts and ends through the framework's seam.
class ThreadWatch {
public:
    explicit ThreadWatch(bool refuse = false) {
        fw::SetThreadHooks(
            [this, refuse](AFX_THREADPROC, void*) {
                ++starts;
                return !refuse;
            },
            [this](AFX_THREADPROC, void*, unsigned int) { ++ends; });
    }
    ~ThreadWatch() { fw::SetThreadHooks({}, {}); }
    std::atomic<int> starts{0};
    std::atomic<int> ends{0};
};

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        static_cast<capture::SettingsValues&>(theSettings) = capture::SettingsValues{};
        theSettings.idleseconds = 1000000;
    }
    void TearDown() override {
        (void)StopCapture();
        capture::SetPacketFunctionsForTesting(nullptr);
        theTrafficList.SortBy({});
    }

    // Runs a capture on the adapter until the replay is over; the flows while the rows are still there.
    std::string ReplayToEnd(const std::string& adapter, const char* packetsPath = nullptr) {
        EXPECT_EQ(StartCapture(adapter.c_str(), packetsPath), 0);
        EXPECT_TRUE(PumpUntil([&] { return WaitForCaptureEnd(0); }, 60000));
        std::string csv;
        EXPECT_TRUE(StopCapture([&] {
            EXPECT_EQ(windows.RowCount(), static_cast<int>(theTrafficList.RowCount()));
            for (int row = 0; row < windows.RowCount(); ++row) {
                EXPECT_EQ(windows.Cell(row, capture::kColumnBytes),
                          std::to_string(theTrafficList.RowRecord(row).bytes));
            }
            csv = capture::FormatFlowCsv(capture::FlowLinesOf(theTrafficList));
        }));
        return csv;
    }

    HostWindows windows;
    MessageBoxRecorder boxes;
};

TEST_F(Engine, StopWithoutStartOnlyResetsTheCounters) {
    packetCount = 5;
    totalBytes = 6;
    EXPECT_TRUE(StopCapture());
    EXPECT_EQ(packetCount, 0u);
    EXPECT_EQ(totalBytes, 0u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Engine, AdapterThatCannotBeOpenedShowsTheOsCodeAndLeavesNoThread) {
    ThreadWatch threads;
    EXPECT_EQ(StartCapture("Z:\\nonexistent\\folder\\capture.pcap"), 1);
    const auto calls = boxes.Boxes();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "Unable to open the driver, Error Code : 3");
    EXPECT_EQ(calls[0].caption, "Error");
    EXPECT_EQ(calls[0].style, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(calls[0].owner, nullptr);
    EXPECT_EQ(captureRunning, 0);
    EXPECT_EQ(threads.starts, 0);
    EXPECT_EQ(captureAdapter, nullptr);
}

TEST_F(Engine, ReplaysACaptureIntoTheListAndStopsCleanly) {
    ThreadWatch threads;
    const std::string name = "eth-mixed-http-dns-udp-icmp";
    EXPECT_EQ(ReplayToEnd(DataPath("pcap/" + name + ".pcap")), capture_bytes::ReferenceFlowCsv(name));
    EXPECT_EQ(windows.StatusText(), capture_bytes::ReferenceStatusLine(name))
        << "the status line keeps the last totals";
    EXPECT_EQ(windows.RowCount(), 0) << "stopping deletes the rows";
    EXPECT_EQ(theTrafficList.RowCount(), 0u);
    EXPECT_EQ(captureRunning, 0);
    EXPECT_EQ(packetCount, 0u);
    EXPECT_EQ(captureAdapter, nullptr);
    EXPECT_EQ(threads.starts, 1);
    EXPECT_EQ(threads.ends, 1) << "the thread ended on its own";
    EXPECT_EQ(linkHeaderLength, 14);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Engine, TokenRingCaptureIsReadBehindTheLongerHeader) {
    TempFolder folder;
    const std::string name = "eth-snaplen96-http-dns-udp-icmp";
    const std::string original = capture_bytes::ReadText(DataPath("pcap/" + name + ".pcap"));
    const std::string path =
        folder.Write("token-ring.pcap", capture_bytes::AsTokenRing(Bytes(original.begin(), original.end())));
    EXPECT_EQ(ReplayToEnd(path), capture_bytes::ReferenceFlowCsv(name));
    EXPECT_EQ(linkHeaderLength, 22);
    EXPECT_EQ(windows.StatusText(), capture_bytes::ReferenceStatusLine(name));
}

TEST_F(Engine, RequestedUpdateRunsOnAnIdleAdapter) {
    TempFolder folder;
    ASSERT_EQ(StartCapture(folder.Write("empty.pcap", capture_bytes::PcapFile({})).c_str()), 0);
    captureStartTick = GetTickCount() - 5000;
    totalBytes = 5000;
    updateDue = 1;
    EXPECT_TRUE(PumpUntil([] { return updateDue.load() == 0; }, 3000)) << "within the 1000 ms read time-out";
    // 5000 bytes over the 5 s before the start plus up to 2 s of waiting.
    EXPECT_GE(averageRate, 5000u / 7);
    EXPECT_LE(averageRate, 1000u);
    EXPECT_TRUE(StopCapture());
}

TEST_F(Engine, LogHoldsARecordForEveryCountedDatagramFromTheFirst) {
    TempFolder folder;
    theSettings.uselogfile = 1;
    theSettings.logtype = 6;
    const std::string log = folder.File("capture.log");
    lstrcpyA(theSettings.logfile, log.c_str());
    (void)ReplayToEnd(DataPath("pcap/eth-icmp-echo.pcap"));
    const std::string text = capture_bytes::ReadText(log);
    size_t heads = 0;
    for (size_t at = text.find("Proto: "); at != std::string::npos; at = text.find("Proto: ", at + 1)) {
        ++heads;
    }
    EXPECT_EQ(heads, 8u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Engine, LogThatCannotBeOpenedWarnsAndCaptureRuns) {
    theSettings.uselogfile = 1;
    lstrcpyA(theSettings.logfile, "Z:\\nonexistent\\folder\\capture.log");
    (void)ReplayToEnd(DataPath("pcap/eth-icmp-echo.pcap"));
    const auto calls = boxes.Boxes();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, "Warning");
    EXPECT_EQ(theSettings.uselogfile, 0);
}

TEST_F(Engine, SlowNameLookupsNeverHoldUpTheCapture) {
    // 2 s per lookup: a capture that waited for them would take 2 s for each of the capture's addresses.
    CNSCashe slowCache([](uint32_t, std::string& name) {
        Sleep(2000); // the slow lookup itself
        name = "slow.example";
        return true;
    });
    capture::NameResolver names(slowCache, capture::NameResolver::Mode::OnOwnThread);
    (void)slowCache.SetEnabled(1);
    theTrafficList.UseNames(&names);
    struct Restore {
        ~Restore() {
            (void)StopCapture();
            theTrafficList.UseNames(nullptr);
        }
    } restore;
    const std::string name = "eth-tcp-http-web-browsing"; // 2 s at its own pace, 15 addresses
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    EXPECT_EQ(StartCapture(DataPath("pcap/" + name + ".pcap").c_str()), 0);
    SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
    EXPECT_TRUE(PumpUntil([&] { return windows.RowCount() > 0; }, 10000));
    EXPECT_EQ(windows.Cell(0, capture::kColumnSourceHost), "172.16.0.122") << "a row shows its address at first";
    EXPECT_TRUE(PumpUntil([&] { return windows.StatusText() == capture_bytes::ReferenceStatusLine(name); }, 20000))
        << windows.StatusText();
    EXPECT_LE(names.Answered(), 2u) << "every datagram was counted while the lookups were still on their way";
    const auto named = [&] {
        for (int row = 0; row < windows.RowCount(); ++row) {
            if (windows.Cell(row, capture::kColumnSourceHost) == "slow.example") {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(PumpUntil(named, 10000)) << "the first name to arrive shows in its rows";
}

TEST_F(Engine, HeaderClicksSortTheListAndItsSelectionFollowsTheFlow) {
    const std::string name = "eth-mixed-http-dns-udp-icmp";
    ASSERT_EQ(StartCapture(DataPath("pcap/" + name + ".pcap").c_str()), 0);
    ASSERT_TRUE(PumpUntil([&] { return WaitForCaptureEnd(0); }, 60000));
    const auto bytesColumn = [&] {
        std::vector<uint64_t> bytes;
        for (int row = 0; row < windows.RowCount(); ++row) {
            bytes.push_back(std::stoull(windows.Cell(row, capture::kColumnBytes)));
        }
        return bytes;
    };
    // Selects the bottom row, the way a click would.
    const int last = windows.RowCount() - 1;
    ASSERT_GT(last, 10);
    LVITEMA state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(windows.List(), LVM_SETITEMSTATE, last, reinterpret_cast<LPARAM>(&state));
    const std::string selectedFlow = windows.Cell(last, capture::kColumnSourcePort) + "/" +
                                     windows.Cell(last, capture::kColumnDestinationPort) + "/" +
                                     windows.Cell(last, capture::kColumnBytes);
    HWND header = reinterpret_cast<HWND>(SendMessageA(windows.List(), LVM_GETHEADER, 0, 0));
    const struct {
        const char* name;
        bool descending;
        int arrow;
    } clicks[] = {{"first click", false, HDF_SORTUP}, {"second click", true, HDF_SORTDOWN}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.name);
        NMLISTVIEW notice{};
        notice.hdr = {windows.List(), 0, static_cast<UINT>(LVN_COLUMNCLICK)};
        notice.iSubItem = capture::kColumnBytes;
        SendMessageA(GetParent(windows.List()), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
        const std::vector<uint64_t> bytes = bytesColumn();
        EXPECT_TRUE(click.descending ? std::is_sorted(bytes.rbegin(), bytes.rend())
                                     : std::is_sorted(bytes.begin(), bytes.end()));
        HDITEMA format{};
        format.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, capture::kColumnBytes, reinterpret_cast<LPARAM>(&format));
        EXPECT_EQ(format.fmt & (HDF_SORTUP | HDF_SORTDOWN), click.arrow);
        const int selected = static_cast<int>(SendMessageA(windows.List(), LVM_GETNEXTITEM, -1, LVNI_SELECTED));
        ASSERT_GE(selected, 0);
        EXPECT_EQ(windows.Cell(selected, capture::kColumnSourcePort) + "/" +
                      windows.Cell(selected, capture::kColumnDestinationPort) + "/" +
                      windows.Cell(selected, capture::kColumnBytes),
                  selectedFlow);
        EXPECT_EQ(SendMessageA(windows.List(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
    }
}

// ---- A scripted library ---------------------------------------------------------------------------------

struct Script {
    bool openFails = false;
    bool invalidHandle = false;
    bool allocateFails = false;
    bool netTypeFails = false;
    UINT medium = 0;
    bool receiveFails = false;
    DWORD reportedBytes = 0; // 0: the size of the scripted buffer
    Bytes buffer;            // handed out by the first receive; later receives are idle

    // What the library was asked, counted on the capture thread and read on the test's: under a lock.
    void Count(const std::string& call) {
        const std::lock_guard lock(mutex);
        ++calls[call];
    }
    void Note(const std::string& call, int value) {
        const std::lock_guard lock(mutex);
        calls[call] = value;
    }
    int Seen(const std::string& call) {
        const std::lock_guard lock(mutex);
        return calls[call];
    }

private:
    static inline std::mutex mutex; // one script runs at a time
    std::map<std::string, int> calls;
};
Script* script = nullptr;
packet::Adapter fakeAdapter{};

packet::Adapter* __cdecl FakeOpen(const char*) {
    script->Count("open");
    if (script->openFails) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    fakeAdapter.hFile = script->invalidHandle ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(1);
    if (script->invalidHandle) {
        SetLastError(ERROR_GEN_FAILURE);
    }
    return &fakeAdapter;
}
void __cdecl FakeClose(packet::Adapter*) {
    script->Count("close");
}
packet::Boolean __cdecl FakeSetHwFilter(packet::Adapter*, ULONG filter) {
    script->Note("filter", static_cast<int>(filter));
    return 1;
}
packet::Boolean __cdecl FakeSetBuff(packet::Adapter*, int bytes) {
    script->Note("buffer", bytes);
    return 1;
}
packet::Boolean __cdecl FakeSetReadTimeout(packet::Adapter*, int milliseconds) {
    script->Note("timeout", milliseconds);
    return 1;
}
packet::Packet fakePacket{};
packet::Packet* __cdecl FakeAllocate() {
    script->Count("allocate");
    return script->allocateFails ? nullptr : &fakePacket;
}
void __cdecl FakeInit(packet::Packet* packet, void* buffer, UINT length) {
    script->Note("length", static_cast<int>(length));
    packet->Buffer = buffer;
    packet->Length = length;
}
void __cdecl FakeFree(packet::Packet*) {
    script->Count("free");
}
packet::Boolean __cdecl FakeNetType(packet::Adapter*, packet::NetTypeRecord* type) {
    if (script->netTypeFails) {
        return 0;
    }
    type->LinkType = script->medium;
    type->LinkSpeed = 100000000; // the second half of the 16-byte record
    return 1;
}
packet::Boolean __cdecl FakeReceive(packet::Adapter*, packet::Packet* packet, packet::Boolean) {
    script->Count("receive");
    if (script->receiveFails) {
        return 0;
    }
    if (script->buffer.empty()) {
        Sleep(20); // an idle adapter: the driver's read waits for its time-out
        packet->ulBytesReceived = 0;
        return 1;
    }
    const size_t size = std::min<size_t>(script->buffer.size(), packet->Length);
    std::memcpy(packet->Buffer, script->buffer.data(), size);
    packet->ulBytesReceived = script->reportedBytes != 0 ? script->reportedBytes : static_cast<DWORD>(size);
    script->buffer.clear();
    return 1;
}
packet::Boolean __cdecl FakeNames(char*, ULONG* size) {
    *size = 0;
    return 0;
}

class ScriptedEngine : public Engine {
protected:
    void SetUp() override {
        Engine::SetUp();
        script = &state;
        functions = {FakeOpen, FakeClose, FakeSetHwFilter, FakeSetBuff, FakeSetReadTimeout, FakeAllocate,
                     FakeInit, FakeFree,  FakeNetType,     FakeReceive, FakeNames};
        capture::SetPacketFunctionsForTesting(&functions);
    }
    void TearDown() override {
        Engine::TearDown();
        script = nullptr;
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const auto& call : boxes.Boxes()) {
            EXPECT_EQ(call.caption, "Error");
            EXPECT_EQ(call.style, static_cast<unsigned>(MB_OK | MB_ICONERROR));
            texts.push_back(call.text);
        }
        return texts;
    }
    Script state;
    capture::PacketFunctions functions;
};

TEST_F(ScriptedEngine, ConfiguresTheAdapterAsTheDriverExpects) {
    ASSERT_EQ(StartCapture("adapter"), 0);
    EXPECT_EQ(state.Seen("filter"), 0x20);
    EXPECT_EQ(state.Seen("buffer"), 2097152);
    EXPECT_EQ(state.Seen("timeout"), 1000);
    EXPECT_EQ(state.Seen("length"), 1048576);
    EXPECT_TRUE(StopCapture());
    EXPECT_EQ(state.Seen("close"), 1);
    EXPECT_EQ(state.Seen("free"), 1);
}

TEST_F(ScriptedEngine, FailuresWhileOpeningShowTheirMessageAndReleaseWhatWasObtained) {
    const struct {
        const char* name;
        void (*arrange)(Script&);
        const char* message;
        int closes;
        int frees;
    } cases[] = {
        {"open fails", [](Script& s) { s.openFails = true; }, "Unable to open the driver, Error Code : 5", 0, 0},
        {"invalid driver handle", [](Script& s) { s.invalidHandle = true; },
         "Unable to open the driver, Error Code : 31", 1, 0},
        {"no packet object", [](Script& s) { s.allocateFails = true; }, "Failed to allocate the LPPACKET structure.", 1,
         0},
        {"no link type", [](Script& s) { s.netTypeFails = true; }, "Cannot get network type!\n", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state = Script{};
        c.arrange(state);
        MessageBoxRecorder local;
        ThreadWatch threads;
        EXPECT_EQ(StartCapture("adapter"), 1);
        ASSERT_EQ(local.Boxes().size(), 1u);
        EXPECT_EQ(local.Boxes()[0].text, c.message);
        EXPECT_EQ(local.Boxes()[0].caption, "Error");
        EXPECT_EQ(captureRunning, 0);
        EXPECT_EQ(threads.starts, 0);
        EXPECT_EQ(state.Seen("close"), c.closes);
        EXPECT_EQ(state.Seen("free"), c.frees);
    }
}

TEST_F(ScriptedEngine, ThreadThatCannotBeCreatedLeavesTheReleaseToStop) {
    {
        ThreadWatch refuse(true);
        EXPECT_EQ(StartCapture("adapter"), 1);
    }
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Thread  creation failed!"});
    EXPECT_EQ(captureRunning, 1) << "the next stop releases what the failed start left";
    EXPECT_EQ(state.Seen("close"), 0);
    EXPECT_TRUE(StopCapture());
    EXPECT_EQ(captureRunning, 0);
    EXPECT_EQ(state.Seen("close"), 1);
    EXPECT_EQ(state.Seen("free"), 1);
}

TEST_F(ScriptedEngine, TokenRingMediumSkipsOptionsAndIpv6AndFollowsUnalignedRecords) {
    using capture_bytes::Datagram;
    using capture_bytes::Frame;
    state.medium = 1;
    Bytes withOptions = Datagram(17, 101, 0x0a000001, 0x0a000002, 7, 7);
    withOptions[0] = 0x46;
    Bytes ipv6 = Datagram(17, 101, 0x0a000001, 0x0a000002, 8, 8);
    ipv6[0] = 0x60;
    state.buffer =
        capture_bytes::DriverBuffer({Frame(Datagram(17, 101, 0x0a000001, 0x0a000002, 1, 1), 22), Frame(withOptions, 22),
                                     Frame(ipv6, 22), Frame(Datagram(6, 1500, 0x0a000001, 0x0a000002, 2, 2, 83), 22),
                                     Frame(Datagram(1, 84, 0x0a000002, 0x0a000001, 3, 3), 22)});
    ASSERT_EQ(StartCapture("adapter"), 0);
    EXPECT_EQ(linkHeaderLength, 22);
    ASSERT_TRUE(PumpUntil([&] { return windows.RowCount() == 3; }, 5000));
    EXPECT_TRUE(PumpUntil([&] { return windows.StatusText() == "All packets: 3     Total bytes: 1617"; }, 5000))
        << windows.StatusText(); // 73 + 1460 + 84
    EXPECT_EQ(windows.Cell(0, capture::kColumnBytes), "101");
    EXPECT_EQ(windows.Cell(1, capture::kColumnBytes), "1500");
    EXPECT_EQ(windows.Cell(2, capture::kColumnProtocol), "ICMP");
}

TEST_F(ScriptedEngine, ByteCountBeyondTheReceiveBufferIsNotTrusted) {
    state.buffer = capture_bytes::DriverBuffer({capture_bytes::Frame(capture_bytes::Datagram(17, 100, 1, 2, 3, 4))});
    state.reportedBytes = 3 * 1048576;
    ASSERT_EQ(StartCapture("adapter"), 0);
    EXPECT_TRUE(PumpUntil([&] { return windows.RowCount() == 1; }, 5000));
    EXPECT_TRUE(PumpUntil([&] { return state.Seen("receive") > 3; }, 5000));
}

TEST_F(ScriptedEngine, FailingReceivesNeitherSpinNorHoldUpTheStop) {
    state.receiveFails = true;
    ASSERT_EQ(StartCapture("adapter"), 0);
    // What is tested is what does not happen: in this time a capture thread that retried at once would
    // call the failing receive thousands of times. Nothing marks the absence of a call, so the test waits.
    Sleep(300);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(StopCapture());
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_LT(state.Seen("receive"), 100) << "a failing receive is not retried in a tight loop";
}

} // namespace
