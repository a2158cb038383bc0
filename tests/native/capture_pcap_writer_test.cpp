// Saving received records as a classic libpcap file: what is written reads back as the same records, and
// a file that cannot be created or written says so.
#include "capture/engine/pcap_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "capture_bytes.h"
#include "packet/capture_replay.h"
#include "packet/pcap_reader.h"

namespace {

using capture_bytes::Bytes;

struct Record {
    uint32_t seconds, microseconds, wireLength;
    Bytes bytes;
};

Bytes DriverRecords(const std::vector<Record>& records) {
    Bytes buffer;
    for (const Record& r : records) {
        const size_t at = buffer.size();
        buffer.resize(at + packet::DriverRecordSize(static_cast<uint32_t>(r.bytes.size())));
        (void)packet::WriteDriverRecord(&buffer[at], r.seconds, r.microseconds, static_cast<uint32_t>(r.bytes.size()),
                                        r.wireLength, r.bytes.data());
    }
    return buffer;
}

std::string TempPath() {
    char path[] = "/tmp/brisklane_pcap_writer_XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) {
        close(fd);
    }
    return path;
}

TEST(TrafficPcapWriter, SavedRecordsReadBackAsReceivedWithTheLinkType) {
    // Odd lengths (padding in the buffer), a record cut short of its wire length, an empty one.
    const std::vector<Record> first = {{100, 999999, 61, Bytes(61, 0xa1)}, {101, 0, 1514, Bytes(96, 0xb2)}};
    const std::vector<Record> second = {{102, 5, 0, Bytes()}, {4000000000u, 7, 3, Bytes(3, 0xc3)}};
    const std::string path = TempPath();
    capture::PcapWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(path, 6, error)) << error;
    const Bytes one = DriverRecords(first);
    const Bytes two = DriverRecords(second);
    writer.WriteReceived(one.data(), static_cast<uint32_t>(one.size()));
    writer.WriteReceived(two.data(), static_cast<uint32_t>(two.size()));
    ASSERT_TRUE(writer.Close(error)) << error;

    packet::PcapReader reader(packet::FileByteSource::Open(path.c_str()));
    ASSERT_EQ(reader.Open(), packet::PcapStatus::Ok);
    EXPECT_EQ(reader.Header().linkType, 6u);
    EXPECT_FALSE(reader.Header().nanosecond);
    EXPECT_FALSE(reader.Header().swapped);
    EXPECT_EQ(reader.Header().snapLength, 262144u);
    std::vector<Record> all = first;
    all.insert(all.end(), second.begin(), second.end());
    for (const Record& expected : all) {
        packet::PcapRecord record;
        ASSERT_EQ(reader.Next(record), packet::PcapStatus::Ok);
        EXPECT_EQ(record.seconds, expected.seconds);
        EXPECT_EQ(record.microseconds, expected.microseconds);
        EXPECT_EQ(record.wireLength, expected.wireLength);
        EXPECT_EQ(Bytes(record.data, record.data + record.capturedLength), expected.bytes);
    }
    packet::PcapRecord record;
    EXPECT_EQ(reader.Next(record), packet::PcapStatus::End);
    unlink(path.c_str());
}

TEST(TrafficPcapWriter, TheFileHasItsHeaderAtOnceAndEveryReceiveAsSoonAsItIsWritten) {
    // A capture killed outright leaves what the file holds at that moment.
    const std::string path = TempPath();
    const auto size = [&] {
        struct stat status {};
        return stat(path.c_str(), &status) == 0 ? status.st_size : -1;
    };
    capture::PcapWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(path, 1, error)) << error;
    EXPECT_EQ(size(), 24) << "a readable, empty capture file from the start";
    const Bytes received = DriverRecords({{1, 2, 61, Bytes(61, 1)}, {1, 3, 60, Bytes(60, 2)}});
    writer.WriteReceived(received.data(), static_cast<uint32_t>(received.size()));
    EXPECT_EQ(size(), 24 + 2 * 16 + 121);
    writer.WriteReceived(received.data(), static_cast<uint32_t>(received.size()) - 4); // the last record cut
    EXPECT_EQ(size(), 24 + 3 * 16 + 182) << "whole records only";
    ASSERT_TRUE(writer.Close(error)) << error;
    unlink(path.c_str());
}

TEST(TrafficPcapWriter, FilesThatCannotBeCreatedOrWrittenSaySo) {
    const struct {
        const char* path;
        bool opens;
        const char* reason;
    } cases[] = {
        {"/nonexistent/folder/saved.pcap", false, "cannot create \"/nonexistent/folder/saved.pcap\": No such file"},
        {"/dev/full", true, "writing \"/dev/full\" failed: No space left on device"},
    };
    const Bytes received = DriverRecords({{1, 2, 60, Bytes(60, 1)}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        capture::PcapWriter writer;
        std::string error;
        EXPECT_EQ(writer.Open(c.path, 1, error), c.opens);
        writer.WriteReceived(received.data(), static_cast<uint32_t>(received.size()));
        if (c.opens) {
            EXPECT_FALSE(writer.Close(error));
        }
        EXPECT_EQ(error.rfind(c.reason, 0), 0u) << error;
        EXPECT_TRUE(writer.Close(error)) << "nothing open: nothing to fail";
    }
}

} // namespace
