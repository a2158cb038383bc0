// The flow history: capture times in ISO 8601, and every row that leaves the table (idle, removed, at the
// capture's end) appended to its file with its final counts, where it can be read at once.
#include "capture/flows/flow_history.h"

#include <gtest/gtest.h>

#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"
#include "capture_bytes.h"

namespace {

using capture_bytes::Datagram;

TEST(FlowHistory, CaptureTimesReadAsIso8601InUtcWithMicroseconds) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "1970-01-01T00:00:00.000000Z"},
        {951'868'799'999'999, "2000-02-29T23:59:59.999999Z"},
        {1'714'564'803'123'456, "2024-05-01T12:00:03.123456Z"},
        {4'294'967'295'000'007, "2106-02-07T06:28:15.000007Z"}, // the last second a classic capture can stamp
        {253'402'300'799'000'000, "9999-12-31T23:59:59.000000Z"},
    };
    for (const auto& [time, text] : cases) {
        EXPECT_EQ(capture::FormatIsoTime(time), text) << time;
    }
}

TEST(FlowHistory, EveryRowThatLeavesIsAppendedWithItsFinalCountsAndTimes) {
    uint32_t now = 1000;
    capture::MemoryTrafficView view;
    CServicesParser services("/nonexistent/services");
    capture::SettingsValues settings;
    settings.idleseconds = 1000;
    capture::FlowTable table({&view, [&now] { return now; }, nullptr, &services, &settings, nullptr});
    capture::FlowHistoryFile history;
    table.AddListener(&history);
    const auto packet = [&table](const capture_bytes::Bytes& datagram, uint64_t time) {
        (void)table.OnPacket(datagram.data(), static_cast<uint32_t>(datagram.size()), time);
    };
    const std::string path = testing::TempDir() + "brisklane_flow_history.csv";
    std::remove(path.c_str());
    std::string error;
    ASSERT_TRUE(history.Open(path, error)) << error;

    constexpr uint64_t kT0 = 1'714'564'800'000'000; // 2024-05-01T12:00:00Z
    packet(Datagram(17, 100, 0x0a000001, 0x0a000002, 1000, 2000), kT0);
    packet(Datagram(6, 60, 0x0a000002, 0x0a000001, 80, 1025), kT0 + 500'000);
    now = 1500;
    packet(Datagram(17, 200, 0x0a000001, 0x0a000002, 1000, 2000), kT0 + 1'200'000);
    now = 3000;
    table.UpdateTraffic(); // both idle for more than a second
    const std::string idle = "src,dst,sport,dport,proto,packets,bytes,first_seen,last_seen\n"
                             "10.0.0.1,10.0.0.2,1000,2000,17,2,300,2024-05-01T12:00:00.000000Z,"
                             "2024-05-01T12:00:01.200000Z\n"
                             "10.0.0.2,10.0.0.1,80,1025,6,1,60,2024-05-01T12:00:00.500000Z,"
                             "2024-05-01T12:00:00.500000Z\n";
    EXPECT_EQ(capture_bytes::ReadText(path), idle) << "on record while the capture runs";

    packet(Datagram(17, 50, 0x0a000001, 0x0a000002, 1000, 2000), kT0 + 3'000'000); // back: a new row
    packet(Datagram(1, 84, 0x0a000001, 0x0a000002, 0x0800, 0x1234), kT0 + 3'100'000);
    table.RemoveProtocol(1);
    table.Clear(); // the capture ends
    ASSERT_TRUE(history.Close(error)) << error;
    const std::string all =
        idle + "10.0.0.1,10.0.0.2,2048,4660,1,1,84,2024-05-01T12:00:03.100000Z,2024-05-01T12:00:03.100000Z\n" +
        "10.0.0.1,10.0.0.2,1000,2000,17,1,50,2024-05-01T12:00:03.000000Z,2024-05-01T12:00:03.000000Z\n";
    EXPECT_EQ(capture_bytes::ReadText(path), all);

    // A file with lines in it gets no second header.
    ASSERT_TRUE(history.Open(path, error)) << error;
    ASSERT_TRUE(history.Close(error)) << error;
    EXPECT_EQ(capture_bytes::ReadText(path), all);
    std::remove(path.c_str());
    packetCount = 0;
    totalBytes = 0;
}

} // namespace
