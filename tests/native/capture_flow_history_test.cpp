// The flow history: capture times in ISO 8601, and every row that leaves the table (idle, removed, at the
// capture's end) appended to its file with its final counts, where it can be read at once.
#include "capture/flows/flow_history.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"
#include "capture_bytes.h"

namespace {

using capture_bytes::Bytes;
using capture_bytes::Datagram;

TEST(FlowHistory, CaptureTimesReadAsIso8601InUtcWithMicroseconds) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "1970-01-01T00:00:00.000000Z"},
        {951'782'400'000'000, "2000-02-29T00:00:00.000000Z"},
        {951'868'799'999'999, "2000-02-29T23:59:59.999999Z"},
        {1'709'208'000'000'007, "2024-02-29T12:00:00.000007Z"},
        {1'714'564'803'123'456, "2024-05-01T12:00:03.123456Z"},
        {4'102'444'799'999'999, "2099-12-31T23:59:59.999999Z"},
        {4'294'967'295'000'000, "2106-02-07T06:28:15.000000Z"}, // the last second a classic capture can stamp
        {253'402'300'799'000'000, "9999-12-31T23:59:59.000000Z"},
    };
    for (const auto& [time, text] : cases) {
        EXPECT_EQ(capture::FormatIsoTime(time), text) << time;
    }
}

std::string TempPath() {
    char path[] = "/tmp/brisklane_flow_history_XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) {
        close(fd);
    }
    return path;
}

class FlowHistoryTable : public ::testing::Test {
protected:
    FlowHistoryTable() : table({&view, [this] { return now; }, nullptr, &services, &settings, nullptr}) {
        settings.idleseconds = 1000;
        table.AddListener(&history);
    }
    ~FlowHistoryTable() override {
        packetCount = 0;
        totalBytes = 0;
        std::remove(path.c_str());
    }
    void Packet(const Bytes& datagram, uint64_t time) {
        (void)table.OnPacket(datagram.data(), static_cast<uint32_t>(datagram.size()), time);
    }

    uint32_t now = 1000;
    std::string path = TempPath();
    capture::MemoryTrafficView view;
    CServicesParser services{"/nonexistent/services"};
    capture::SettingsValues settings;
    capture::FlowHistoryFile history;
    capture::FlowTable table;
};

constexpr uint64_t kT0 = 1'714'564'800'000'000; // 2024-05-01T12:00:00Z

TEST_F(FlowHistoryTable, EveryRowThatLeavesIsAppendedWithItsFinalCountsAndTimes) {
    std::string error;
    ASSERT_TRUE(history.Open(path, error)) << error;
    const Bytes a1 = Datagram(17, 100, 0x0a000001, 0x0a000002, 1000, 2000);
    Packet(a1, kT0);
    Packet(Datagram(6, 60, 0x0a000002, 0x0a000001, 80, 1025), kT0 + 500'000);
    now = 1500;
    Packet(Datagram(17, 200, 0x0a000001, 0x0a000002, 1000, 2000), kT0 + 1'200'000);
    now = 3000;
    table.UpdateTraffic(); // both idle for more than a second
    const std::string idle = "src,dst,sport,dport,proto,packets,bytes,first_seen,last_seen\n"
                             "10.0.0.1,10.0.0.2,1000,2000,17,2,300,2024-05-01T12:00:00.000000Z,"
                             "2024-05-01T12:00:01.200000Z\n"
                             "10.0.0.2,10.0.0.1,80,1025,6,1,60,2024-05-01T12:00:00.500000Z,"
                             "2024-05-01T12:00:00.500000Z\n";
    EXPECT_EQ(capture_bytes::ReadText(path), idle) << "on record while the capture runs";

    Packet(Datagram(17, 50, 0x0a000001, 0x0a000002, 1000, 2000), kT0 + 3'000'000); // the flow again: a new row
    Packet(Datagram(1, 84, 0x0a000001, 0x0a000002, 0x0800, 0x1234), kT0 + 3'100'000);
    table.RemoveProtocol(1);
    table.Clear(); // the capture ends
    EXPECT_EQ(history.Lines(), 4u);
    ASSERT_TRUE(history.Close(error)) << error;
    EXPECT_EQ(capture_bytes::ReadText(path),
              idle + "10.0.0.1,10.0.0.2,2048,4660,1,1,84,2024-05-01T12:00:03.100000Z,2024-05-01T12:00:03.100000Z\n"
                     "10.0.0.1,10.0.0.2,1000,2000,17,1,50,2024-05-01T12:00:03.000000Z,2024-05-01T12:00:03.000000Z\n");

    // A file with lines in it gets no second header.
    ASSERT_TRUE(history.Open(path, error)) << error;
    Packet(a1, kT0 + 9'000'000);
    table.Clear();
    ASSERT_TRUE(history.Close(error)) << error;
    const std::string text = capture_bytes::ReadText(path);
    EXPECT_EQ(text.find("src,dst", 1), std::string::npos);
    EXPECT_TRUE(text.ends_with("1,100,2024-05-01T12:00:09.000000Z,2024-05-01T12:00:09.000000Z\n")) << text;
}

TEST_F(FlowHistoryTable, FilesThatCannotBeOpenedOrWrittenAreReported) {
    std::string error;
    EXPECT_FALSE(history.Open("/nonexistent/folder/history.csv", error));
    EXPECT_EQ(error, "cannot open \"/nonexistent/folder/history.csv\": No such file or directory");
    EXPECT_FALSE(history.IsOpen());
    table.Clear(); // nothing open: nothing happens

    // A full disk: the header and each line fail; Close says so.
    ASSERT_TRUE(history.Open("/dev/full", error)) << error;
    Packet(Datagram(17, 100, 0x0a000001, 0x0a000002, 1000, 2000), kT0);
    now = 5000;
    table.UpdateTraffic();
    EXPECT_FALSE(history.Close(error));
    EXPECT_EQ(error, "writing \"/dev/full\" failed: No space left on device");
    EXPECT_TRUE(history.Close(error)) << "closed once";
}

} // namespace
