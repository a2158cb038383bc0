// The flow table: what counts and how much, the rows and their columns, idle removal and rates, the
// shared counters, the refreshes of the view, and the list's order.
#include "capture/flows/flow_table.h"

#include <gtest/gtest.h>

#include "capture/flows/counting_traffic_view.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/log/protocol_names.h"
#include "capture/names/name_resolver.h"
#include "capture/names/services_parser.h"
#include "capture_bytes.h"

namespace {

using capture::FlowTable;
using capture::MemoryTrafficView;
using capture_bytes::Bytes;
using capture_bytes::Datagram;

constexpr uint32_t kA = 0x0a000001; // 10.0.0.1
constexpr uint32_t kB = 0x0a000002; // 10.0.0.2

class RecordingLog final : public capture::DatagramLog {
public:
    bool open = true;
    struct Entry {
        uint32_t length;
        uint32_t captured;
        uint32_t headerSize;
    };
    std::vector<Entry> entries;
    bool IsOpen() const override { return open; }
    void Write(const uint8_t*, uint32_t length, uint32_t captured, uint32_t headerSize) override {
        entries.push_back({length, captured, headerSize});
    }
};

class TrafficFlowTable : public ::testing::Test {
protected:
    TrafficFlowTable()
        : names([this](uint32_t address, std::string& name) {
              const auto found = hostNames.find(address);
              if (found == hostNames.end()) {
                  return false;
              }
              name = found->second;
              return true;
          }),
          resolver(names, capture::NameResolver::Mode::OnCallersThread), services("/nonexistent/services"),
          table(capture::FlowTableServices{&view, [this] { return now; }, &resolver, &services, &settings, &log}) {
        FillUnknownProtocolNames();
        ResetCounters();
    }
    ~TrafficFlowTable() override { ResetCounters(); }

    static void ResetCounters() {
        packetCount = 0;
        totalBytes = 0;
        previousTotal = 0;
        intervalBytes = 0;
        averageRate = 0;
        updateDue = 0;
        captureStartTick = 0;
    }

    void Packet(const Bytes& datagram) { table.OnPacket(datagram.data(), static_cast<uint32_t>(datagram.size())); }

    std::string Cell(size_t row, int32_t column) const { return MemoryTrafficView::Cell(table, row, column); }
    // One column of the whole list, top to bottom.
    std::vector<std::string> Column(int32_t column) const {
        std::vector<std::string> cells;
        for (size_t row = 0; row < view.rows; ++row) {
            cells.push_back(Cell(row, column));
        }
        return cells;
    }

    uint32_t now = 1000;
    std::map<uint32_t, std::string> hostNames; // by address as stored in the header
    capture::SettingsValues settings;
    CNSCashe names;
    capture::NameResolver resolver;
    CServicesParser services;
    RecordingLog log;
    MemoryTrafficView view;
    FlowTable table;
};

TEST_F(TrafficFlowTable, DatagramsNotLongerThanTheirFixedHeaderLeaveNoTrace) {
    const struct {
        const char* name;
        uint8_t protocol;
        uint16_t length;
    } cases[] = {
        {"TCP of 40", 6, 40},      {"UDP of 28", 17, 28}, {"IGMP of 28", 2, 28},
        {"IP in IP of 20", 4, 20}, {"ICMP of 0", 1, 0},   {"TCP of 39", 6, 39},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Packet(Datagram(c.protocol, c.length, kA, kB, 1, 2));
        table.Flush();
        EXPECT_EQ(packetCount, 0u);
        EXPECT_EQ(totalBytes, 0u);
        EXPECT_EQ(view.rows, 0u);
        EXPECT_TRUE(log.entries.empty());
    }
}

TEST_F(TrafficFlowTable, CountsPayloadInTotalsAndWholeLengthInTheRow) {
    const struct {
        uint8_t protocol;
        uint16_t length;
        uint32_t payload;
        const char* protocolName;
    } cases[] = {
        {6, 1500, 1460, "TCP"}, {17, 29, 1, "UDP"},  {2, 100, 72, "IGMP"},           {4, 60, 40, "IP"},
        {1, 84, 84, "ICMP"},    {47, 21, 21, "GRE"}, {200, 30, 30, "unknown (200)"},
    };
    uint32_t expectedTotal = 0;
    size_t row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.protocolName);
        Packet(Datagram(c.protocol, c.length, kA, kB, 80, 1025));
        expectedTotal += c.payload;
        table.Flush();
        EXPECT_EQ(packetCount, row + 1);
        EXPECT_EQ(totalBytes, expectedTotal);
        ASSERT_EQ(view.rows, row + 1);
        EXPECT_EQ(Cell(row, capture::kColumnBytes), std::to_string(c.length));
        EXPECT_EQ(Cell(row, capture::kColumnProtocol), c.protocolName);
        EXPECT_EQ(FlowTable::HeaderSize(c.protocol), c.length - c.payload);
        EXPECT_EQ(log.entries.back().headerSize, c.length - c.payload);
        ++row;
    }
    EXPECT_EQ(view.status, "All packets: 7     Total bytes: " + std::to_string(expectedTotal));
}

TEST_F(TrafficFlowTable, RowShowsHostsPortsAndAccumulatesItsFlow) {
    Packet(Datagram(6, 1500, kA, kB, 80, 1025));
    Packet(Datagram(6, 1500, kA, kB, 80, 1025));
    Packet(Datagram(6, 100, kB, kA, 1025, 80)); // the other direction is a row of its own
    table.Flush();
    ASSERT_EQ(view.rows, 2u);
    const std::vector<std::string> first = {"10.0.0.1", "80", "10.0.0.2", "1025", "TCP", "3000", "", ""};
    for (int32_t column = 0; column < capture::kTrafficColumnCount; ++column) {
        EXPECT_EQ(Cell(0, column), first[column]) << column;
    }
    EXPECT_EQ(Cell(1, 5), "100");
    EXPECT_EQ(table.RowPackets(0), 2u);
    EXPECT_EQ(table.RowRecord(0).bytes, 3000u);
    char text[4] = "xyz";
    EXPECT_FALSE(table.CellText(2, 0, text, sizeof text)) << "no third row";
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(table.CellText(0, 0, text, sizeof text));
    EXPECT_STREQ(text, "10.") << "cut to the cell's buffer";
}

TEST_F(TrafficFlowTable, PortColumnsShowServiceNamesWhenLookupsAreOn) {
    services.ParseLine("http 80/tcp");
    (void)services.SetEnabled(1);
    Packet(Datagram(6, 100, kA, kB, 80, 1025));
    Packet(Datagram(17, 100, kA, kB, 80, 1025));
    table.Flush();
    EXPECT_EQ(Cell(0, 1), "http");
    EXPECT_EQ(Cell(0, 3), "1025");
    EXPECT_EQ(Cell(1, 1), "80") << "the service is TCP only";
}

TEST_F(TrafficFlowTable, IcmpRowsAreKeyedByTypeCodeAndChecksum) {
    Packet(Datagram(1, 84, kA, kB, 0x0800, 0x1111));
    Packet(Datagram(1, 84, kA, kB, 0x0800, 0x2222));
    Packet(Datagram(1, 84, kA, kB, 0x0800, 0x1111));
    table.Flush();
    EXPECT_EQ(totalBytes, 3u * 84u);
    ASSERT_EQ(view.rows, 2u);
    EXPECT_EQ(Cell(0, 1), "2048");
    EXPECT_EQ(Cell(0, 3), "4369");
    EXPECT_EQ(Cell(0, 5), "168");
    const capture::FlowKey key = table.RowRecord(1).key;
    EXPECT_EQ(key.sourcePort, 0x0008) << "network byte order";
    EXPECT_EQ(key.destinationPort, 0x2222);
    EXPECT_EQ(key.protocol, 1);
    EXPECT_EQ(key.zero[0] | key.zero[1] | key.zero[2], 0);
}

TEST_F(TrafficFlowTable, ProtocolFiltersDropTheirProtocolEntirely) {
    const struct {
        const char* name;
        int32_t capture::SettingsValues::*filter;
        uint8_t dropped;
    } cases[] = {
        {"filtertcp", &capture::SettingsValues::filtertcp, 6},
        {"filterudp", &capture::SettingsValues::filterudp, 17},
        {"filtericmp", &capture::SettingsValues::filtericmp, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings = {};
        settings.*c.filter = 1;
        table.Clear();
        ResetCounters();
        log.entries.clear();
        for (uint8_t protocol : {uint8_t{6}, uint8_t{17}, uint8_t{1}}) {
            Packet(Datagram(protocol, 100, kA, kB, 1, 2));
        }
        table.Flush();
        EXPECT_EQ(packetCount, 2u);
        EXPECT_EQ(log.entries.size(), 2u);
        ASSERT_EQ(view.rows, 2u);
        for (size_t row = 0; row < table.RowCount(); ++row) {
            EXPECT_NE(table.RowRecord(row).key.protocol, c.dropped);
        }
    }
}

TEST_F(TrafficFlowTable, TruncatedDatagramCountsByTotalLengthAndLogsWhatWasCaptured) {
    Packet(Datagram(6, 1500, kA, kB, 80, 1025, 82));
    table.Flush();
    EXPECT_EQ(totalBytes, 1460u);
    EXPECT_EQ(Cell(0, 5), "1500");
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].length, 1500u);
    EXPECT_EQ(log.entries[0].captured, 82u);
    log.open = false;
    Packet(Datagram(6, 1500, kA, kB, 80, 1025));
    EXPECT_EQ(log.entries.size(), 1u) << "a closed log gets nothing";
    const Bytes tooShort = Datagram(6, 1500, kA, kB, 80, 1025, 23);
    Packet(tooShort);
    EXPECT_EQ(packetCount, 2u) << "fewer than 24 captured bytes are not looked at";
}

TEST_F(TrafficFlowTable, IdleRowsGoAfterMoreThanTheIdleTime) {
    settings.idleseconds = 10000;
    Packet(Datagram(17, 100, kA, kB, 1, 1)); // seen at 1000
    now = 1001;
    Packet(Datagram(17, 100, kA, kB, 2, 2)); // seen at 1001
    now = 1002;
    Packet(Datagram(17, 100, kA, kB, 3, 3)); // seen at 1002
    now = 11001;                             // 10,001, 10,000 and 9,999 ms later
    table.UpdateTraffic();
    ASSERT_EQ(view.rows, 2u);
    EXPECT_EQ(Cell(0, 1), "2");
    EXPECT_EQ(Cell(1, 1), "3");
    EXPECT_EQ(table.RowCount(), 2u);
    // The flow that went starts afresh with its next datagram, at the end.
    Packet(Datagram(17, 100, kA, kB, 1, 1));
    table.Flush();
    ASSERT_EQ(view.rows, 3u);
    EXPECT_EQ(Cell(2, 1), "1");
    EXPECT_EQ(Cell(2, 5), "100");
    EXPECT_EQ(table.RowPackets(2), 1u);
}

TEST_F(TrafficFlowTable, RowsLeftAfterABurstWentIdleKeepCounting) {
    // Enough flows that the update gives back the burst's memory (index, rows, batch) once it has gone.
    capture::CountingTrafficView counting;
    table.SetView(&counting);
    settings.idleseconds = 10000;
    for (uint16_t port = 1; port <= 10000; ++port) {
        Packet(Datagram(17, 100, kA, kB, port, port));
    }
    table.Flush();
    now = 5000;
    Packet(Datagram(17, 100, kB, kA, 7, 7));
    now = 12000;
    table.UpdateTraffic();
    ASSERT_EQ(table.RowCount(), 1u);
    Packet(Datagram(17, 100, kB, kA, 7, 7));
    Packet(Datagram(17, 100, kA, kB, 1, 1));
    table.Flush();
    EXPECT_EQ(counting.rows, 2);
    ASSERT_EQ(table.RowCount(), 2u);
    EXPECT_EQ(table.RowRecord(0).bytes, 200u);
    EXPECT_EQ(table.RowPackets(0), 2u);
    EXPECT_EQ(table.RowRecord(1).key.destinationAddress, capture_bytes::AsStored(kB));
    EXPECT_EQ(table.RowPackets(1), 1u);
}

TEST_F(TrafficFlowTable, UpdateWritesIntervalBytesAndRatesOnlyForRowsOfASecondOrMore) {
    settings.idleseconds = 60000;
    Packet(Datagram(6, 1000, kA, kB, 1, 1));
    now = 1999; // 999 ms after the first datagram
    Packet(Datagram(6, 1000, kA, kB, 1, 1));
    Packet(Datagram(6, 1000, kA, kB, 2, 2)); // a single datagram: first = last seen
    table.UpdateTraffic();
    EXPECT_EQ(Cell(0, 6), "2000");
    EXPECT_EQ(Cell(0, 7), "") << "less than a second between first and last datagram";
    EXPECT_EQ(Cell(1, 6), "1000");
    EXPECT_EQ(Cell(1, 7), "");

    now = 3500;
    Packet(Datagram(6, 1000, kA, kB, 1, 1)); // 2.5 s after the first: span 2 s
    table.UpdateTraffic();
    EXPECT_EQ(Cell(0, 6), "1000") << "bytes since the previous update";
    EXPECT_EQ(Cell(0, 7), "1500") << "3000 bytes over 2 whole seconds";
    EXPECT_EQ(Cell(1, 6), "0");

    now = 10000;
    table.UpdateTraffic();
    EXPECT_EQ(Cell(0, 7), "1500") << "the rate keeps its text";
    EXPECT_EQ(Cell(0, 6), "0");
    const int refreshes = view.refreshes;
    now = 11000;
    table.UpdateTraffic();
    EXPECT_EQ(view.refreshes, refreshes) << "nothing the list shows changed: no refresh";
}

TEST_F(TrafficFlowTable, UpdateBringsTheSharedRatesUpToDate) {
    captureStartTick = 1000;
    Packet(Datagram(6, 1040, kA, kB, 1, 1)); // 1000 payload
    previousTotal = 200;
    updateDue = 1;
    now = 1999;
    table.UpdateTraffic();
    EXPECT_EQ(averageRate, 0u) << "under a second since start";
    EXPECT_EQ(intervalBytes, 800u);
    EXPECT_EQ(previousTotal, 1000u);
    EXPECT_EQ(updateDue, 0);
    now = 5000;
    table.UpdateTraffic();
    EXPECT_EQ(averageRate, 250u);
    EXPECT_EQ(intervalBytes, 0u);
    now = 999; // the clock is behind the start
    averageRate = 7;
    table.UpdateTraffic();
    EXPECT_EQ(averageRate, 0u);
}

TEST_F(TrafficFlowTable, CountersWrapAt32Bits) {
    packetCount = 0xffffffffu;
    totalBytes = 0xffffffffu - 9;
    Packet(Datagram(17, 48, kA, kB, 1, 1)); // 20 payload bytes
    table.Flush();
    EXPECT_EQ(packetCount, 0u);
    EXPECT_EQ(totalBytes, 10u);
    EXPECT_EQ(view.status, "All packets: 0     Total bytes: 10");
}

TEST_F(TrafficFlowTable, ClearEmptiesTheListAndFlowsStartAfresh) {
    Packet(Datagram(17, 100, kA, kB, 1, 1));
    Packet(Datagram(17, 100, kA, kB, 2, 2));
    table.Flush();
    EXPECT_EQ(view.rows, 2u);
    table.Clear();
    EXPECT_EQ(view.rows, 0u) << "the view is told at once";
    EXPECT_EQ(table.RowCount(), 0u);
    Packet(Datagram(17, 100, kA, kB, 2, 2));
    table.Flush();
    ASSERT_EQ(view.rows, 1u);
    EXPECT_EQ(Cell(0, 3), "2");
    EXPECT_EQ(table.RowPackets(0), 1u) << "a cleared table starts its flows afresh";
}

TEST_F(TrafficFlowTable, ListenersHearEveryCountedDatagramAndEveryRowThatLeavesWithItsFinalCounts) {
    struct Heard final : capture::FlowListener {
        std::vector<std::string> events;
        void OnCounted(const capture::FlowRow& row, uint32_t length, uint64_t time) override {
            events.push_back("counted " + std::to_string(capture::HostOrder16(row.record.key.sourcePort)) + " " +
                             std::to_string(length) + " at " + std::to_string(time));
        }
        void OnFlowEnded(const capture::FlowRow& row, capture::FlowEnd why) override {
            events.push_back("ended " + std::to_string(capture::HostOrder16(row.record.key.sourcePort)) + " " +
                             std::to_string(static_cast<int>(why)) + ": " + std::to_string(row.packets) + " " +
                             std::to_string(row.record.bytes) + " " + std::to_string(row.firstTime) + "-" +
                             std::to_string(row.lastTime));
        }
    } heard;
    table.AddListener(&heard);
    settings.idleseconds = 10000;
    settings.filtertcp = 1;
    const auto handed = [&](const Bytes& datagram, uint64_t time) {
        return table.OnPacket(datagram.data(), static_cast<uint32_t>(datagram.size()), time);
    };
    EXPECT_EQ(handed(Datagram(17, 100, kA, kB, 1, 9), 5000000), capture::DatagramOutcome::Counted);
    EXPECT_EQ(handed(Datagram(17, 28, kA, kB, 1, 9), 5000001), capture::DatagramOutcome::HeaderNotBelowLength);
    EXPECT_EQ(handed(Datagram(6, 100, kA, kB, 1, 9), 5000002), capture::DatagramOutcome::FilteredOut);
    EXPECT_EQ(table.OnPacket(Datagram(17, 100, kA, kB, 1, 9).data(), 23, 5000003), capture::DatagramOutcome::TooShort);
    EXPECT_EQ(handed(Datagram(17, 50, kA, kB, 1, 9), 7000000), capture::DatagramOutcome::Counted);
    now = 2000;
    EXPECT_EQ(handed(Datagram(1, 84, kA, kB, 2, 9), 8000000), capture::DatagramOutcome::Counted);
    now = 11001; // the first flow is idle for 10,001 ms, the second for 9,001
    table.UpdateTraffic();
    table.RemoveProtocol(17); // nothing left of it
    table.Clear();
    table.Clear(); // an empty table has nobody to tell of
    EXPECT_EQ(heard.events, (std::vector<std::string>{
                                "counted 1 100 at 5000000",
                                "counted 1 50 at 7000000",
                                "counted 2 84 at 8000000",
                                "ended 1 0: 2 150 5000000-7000000",
                                "ended 2 2: 1 84 8000000-8000000",
                            }));
    table.RemoveListener(&heard);
    (void)handed(Datagram(17, 100, kA, kB, 1, 9), 9000000);
    EXPECT_EQ(heard.events.size(), 5u);
}

TEST_F(TrafficFlowTable, SortsByAClickedColumnNumbersAsNumbersAddressesByValue) {
    settings.idleseconds = 60000;
    // Arrival order: bytes 900, 10000, 85; addresses 10.0.0.20, 9.0.0.1, 10.0.0.3; ports 443, 80, 8080.
    Packet(Datagram(6, 900, 0x0a000014, kB, 443, 1));
    Packet(Datagram(17, 10000, 0x09000001, kB, 80, 2));
    Packet(Datagram(1, 85, 0x0a000003, kB, 8080, 3));
    now = 3000;
    Packet(Datagram(17, 10000, 0x09000001, kB, 80, 2)); // 20000 bytes over 2 s: a rate of 10000
    table.UpdateTraffic();
    const struct {
        const char* name;
        int32_t column;
        bool descending;
        std::vector<std::string> shown; // the sorted column, top to bottom
    } cases[] = {
        {"arrival", capture::kUnsorted, false, {"10.0.0.20", "9.0.0.1", "10.0.0.3"}},
        {"source host", capture::kColumnSourceHost, false, {"9.0.0.1", "10.0.0.3", "10.0.0.20"}},
        {"source host reversed", capture::kColumnSourceHost, true, {"10.0.0.20", "10.0.0.3", "9.0.0.1"}},
        {"source port", capture::kColumnSourcePort, false, {"80", "443", "8080"}},
        {"protocol by number", capture::kColumnProtocol, false, {"ICMP", "TCP", "UDP"}},
        {"bytes", capture::kColumnBytes, false, {"85", "900", "20000"}},
        {"bytes reversed", capture::kColumnBytes, true, {"20000", "900", "85"}},
        {"rate, empty cells first", capture::kColumnAverageRate, false, {"", "", "10000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        table.SortBy({c.column, c.descending});
        (void)table.Reorder();
        EXPECT_EQ(Column(c.column == capture::kUnsorted ? capture::kColumnSourceHost : c.column), c.shown);
    }
}

TEST_F(TrafficFlowTable, HeaderClicksSortThenReverse) {
    const capture::ListOrder unsorted;
    const capture::ListOrder byBytes = unsorted.Clicked(capture::kColumnBytes);
    EXPECT_EQ(byBytes, (capture::ListOrder{capture::kColumnBytes, false}));
    EXPECT_EQ(byBytes.Clicked(capture::kColumnBytes), (capture::ListOrder{capture::kColumnBytes, true}));
    EXPECT_EQ(byBytes.Clicked(capture::kColumnBytes).Clicked(capture::kColumnBytes), byBytes);
    EXPECT_EQ(byBytes.Clicked(capture::kColumnBytes).Clicked(capture::kColumnProtocol),
              (capture::ListOrder{capture::kColumnProtocol, false}))
        << "another column starts ascending";
}

TEST_F(TrafficFlowTable, SortHoldsWhileRowsUpdateAndTheSelectionFollowsItsFlow) {
    settings.idleseconds = 5000;
    table.SortBy({capture::kColumnBytes, true});
    Packet(Datagram(17, 300, kA, kB, 1, 1));
    Packet(Datagram(17, 200, kA, kB, 2, 2));
    Packet(Datagram(17, 100, kA, kB, 3, 3));
    table.Flush();
    EXPECT_EQ(Column(capture::kColumnSourcePort), (std::vector<std::string>{"1", "2", "3"}));
    view.selected = {2}; // the flow of port 3
    now = 3000;
    Packet(Datagram(17, 1000, kA, kB, 3, 3));
    Packet(Datagram(17, 1000, kA, kB, 4, 4));
    table.Flush();
    EXPECT_EQ(Column(capture::kColumnSourcePort), (std::vector<std::string>{"3", "4", "1", "2"}));
    EXPECT_EQ(view.selected, std::vector<int32_t>{0}) << "the selection moved with its flow";
    now = 7500; // ports 1 and 2 have been idle for 7.5 s
    view.selected = {2, 1};
    table.UpdateTraffic();
    EXPECT_EQ(Column(capture::kColumnSourcePort), (std::vector<std::string>{"3", "4"}));
    EXPECT_EQ(view.selected, std::vector<int32_t>{1}) << "a row that left takes its selection with it";
}

TEST_F(TrafficFlowTable, RemoveProtocolDeletesOnlyThatProtocolsRows) {
    for (uint8_t protocol : {uint8_t{6}, uint8_t{17}, uint8_t{6}, uint8_t{1}, uint8_t{6}}) {
        Packet(Datagram(protocol, 100, kA, kB, protocol, static_cast<uint16_t>(table.RowCount())));
    }
    table.RemoveProtocol(6);
    ASSERT_EQ(view.rows, 2u);
    EXPECT_EQ(Cell(0, 4), "UDP");
    EXPECT_EQ(Cell(1, 4), "ICMP");
    Packet(Datagram(1, 100, kA, kB, 1, 3)); // the ICMP row still counts in place
    table.Flush();
    EXPECT_EQ(Cell(1, 5), "200");
}

TEST_F(TrafficFlowTable, RefreshesTheViewAFewTimesASecondAndAtOnceWhenIdle) {
    table.StartRefreshPeriod();
    Packet(Datagram(17, 100, kA, kB, 1, 1));
    table.FlushIfDue(false);
    EXPECT_EQ(view.refreshes, 0) << "a capture's first refresh comes a refresh period after its start";
    now += capture::FlowTable::kRefreshMilliseconds;
    table.FlushIfDue(false);
    ASSERT_EQ(view.rows, 1u);
    const int refreshes = view.refreshes;
    now += 100;
    Packet(Datagram(17, 100, kA, kB, 1, 1));
    Packet(Datagram(17, 100, kA, kB, 2, 2));
    table.FlushIfDue(false);
    EXPECT_EQ(view.refreshes, refreshes) << "100 ms after the last refresh";
    EXPECT_EQ(view.rows, 1u) << "a new flow joins the list at its next refresh";
    EXPECT_EQ(Cell(0, 5), "200") << "the cells are read from the table as they stand";
    now += capture::FlowTable::kRefreshMilliseconds;
    table.FlushIfDue(false);
    EXPECT_EQ(view.rows, 2u);
    Packet(Datagram(17, 100, kA, kB, 1, 1));
    table.FlushIfDue(true);
    EXPECT_EQ(view.status, "All packets: 4     Total bytes: 288") << "an idle receive shows every count";
    const int settled = view.refreshes;
    table.FlushIfDue(true);
    EXPECT_EQ(view.refreshes, settled) << "nothing changed, nothing sent";
}

TEST_F(TrafficFlowTable, ResolvedHostNamesFillTheHostColumns) {
    hostNames[capture_bytes::AsStored(kA)] = "alpha.example";
    (void)names.SetEnabled(1);
    Packet(Datagram(17, 100, kA, kB, 1, 1));
    table.Flush();
    EXPECT_EQ(Cell(0, 0), "alpha.example");
    EXPECT_EQ(Cell(0, 2), "10.0.0.2");
}

} // namespace
