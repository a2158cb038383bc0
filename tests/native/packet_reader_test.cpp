// The capture-file reader of the packet library stand-in: both byte orders and time resolutions, damaged
// files, and the real captures read record by record.
#include "packet/pcap_reader.h"

#include <gtest/gtest.h>

#include "capture_bytes.h"

namespace {

using capture_bytes::Bytes;
using capture_bytes::PcapFile;
using capture_bytes::PcapFrame;
using capture_bytes::PcapOptions;
using packet::PcapReader;
using packet::PcapRecord;
using packet::PcapStatus;

// Reads from a copy of the bytes that the reader cannot look beyond (the sanitizers watch its end).
struct ReaderOver {
    explicit ReaderOver(const Bytes& bytes)
        : copy(bytes), reader(std::make_unique<packet::MemoryByteSource>(copy.data(), copy.size())) {}
    Bytes copy;
    PcapReader reader;
};

TEST(PacketReader, ReadsEveryFormatVariant) {
    struct Case {
        const char* name;
        bool bigEndian;
        bool nanosecond;
        uint32_t fraction;
        uint32_t expectedMicroseconds;
    };
    const Case cases[] = {
        {"little-endian microseconds", false, false, 123456, 123456},
        {"big-endian microseconds", true, false, 123456, 123456},
        {"little-endian nanoseconds", false, true, 123456789, 123456},
        {"big-endian nanoseconds", true, true, 999999999, 999999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PcapOptions options;
        options.bigEndian = c.bigEndian;
        options.nanosecond = c.nanosecond;
        options.linkType = 6;
        options.snapLength = 96;
        ReaderOver over(
            PcapFile({{1700000000, c.fraction, Bytes(60, 0x11), 1514}, {1700000001, 0, Bytes(3, 0x22)}}, options));
        ASSERT_EQ(over.reader.Open(), PcapStatus::Ok);
        EXPECT_EQ(over.reader.Header().swapped, c.bigEndian);
        EXPECT_EQ(over.reader.Header().nanosecond, c.nanosecond);
        EXPECT_EQ(over.reader.Header().linkType, 6u);
        EXPECT_EQ(over.reader.Header().snapLength, 96u);

        PcapRecord record;
        ASSERT_EQ(over.reader.Next(record), PcapStatus::Ok);
        EXPECT_EQ(record.seconds, 1700000000u);
        EXPECT_EQ(record.microseconds, c.expectedMicroseconds);
        EXPECT_EQ(record.capturedLength, 60u);
        EXPECT_EQ(record.wireLength, 1514u);
        EXPECT_EQ(record.data[0], 0x11);
        ASSERT_EQ(over.reader.Next(record), PcapStatus::Ok);
        EXPECT_EQ(record.capturedLength, 3u);
        EXPECT_EQ(record.data[2], 0x22);
        EXPECT_EQ(over.reader.Next(record), PcapStatus::End);
        EXPECT_EQ(over.reader.Next(record), PcapStatus::End);
        EXPECT_EQ(over.reader.RecordsRead(), 2u);
        EXPECT_TRUE(over.reader.ErrorText().empty());
    }
}

TEST(PacketReader, LinkTypeFieldKeepsOnlyTheLinkTypeBits) {
    PcapOptions options;
    options.linkType = 0x10000000u | 1u; // frame-check-sequence flag bits above the link type
    ReaderOver over(PcapFile({}, options));
    ASSERT_EQ(over.reader.Open(), PcapStatus::Ok);
    EXPECT_EQ(over.reader.Header().linkType, 1u);
}

TEST(PacketReader, RejectsWhatIsNotACaptureFile) {
    Bytes wrongMagic = PcapFile({});
    wrongMagic[0] = 0x0a; // a pcapng section header starts 0a 0d 0d 0a
    const Bytes headerOnly = PcapFile({});
    PcapOptions version3;
    version3.versionMajor = 3;
    const struct {
        const char* name;
        Bytes bytes;
        PcapStatus expected;
    } cases[] = {
        {"empty file", {}, PcapStatus::ShortHeader},
        {"23 bytes", Bytes(headerOnly.begin(), headerOnly.begin() + 23), PcapStatus::ShortHeader},
        {"wrong magic", wrongMagic, PcapStatus::BadMagic},
        {"version 3", PcapFile({}, version3), PcapStatus::BadVersion},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderOver over(c.bytes);
        EXPECT_EQ(over.reader.Open(), c.expected);
        EXPECT_FALSE(over.reader.ErrorText().empty());
        PcapRecord record;
        EXPECT_EQ(over.reader.Next(record), c.expected) << "a failed open gives no records";
    }
}

TEST(PacketReader, DamagedRecordsStopTheFileWithTheRecordNamed) {
    const Bytes good = PcapFile({{0, 0, Bytes(40, 1)}});
    Bytes cutInHeader = PcapFile({{0, 0, Bytes(40, 1)}, {0, 0, Bytes(40, 2)}});
    cutInHeader.resize(good.size() + 10);
    Bytes cutInData = PcapFile({{0, 0, Bytes(40, 1)}, {0, 0, Bytes(40, 2)}});
    cutInData.resize(cutInData.size() - 1);
    const Bytes tooLong = PcapFile({{0, 0, Bytes(40, 1)}, {0, 0, Bytes(packet::kMaxRecordBytes + 1, 2)}});
    const struct {
        const char* name;
        Bytes bytes;
        PcapStatus expected;
        const char* detail;
    } cases[] = {
        {"file ends inside a record header", cutInHeader, PcapStatus::TruncatedRecord, "record 2 has only 10"},
        {"file ends inside a record's data", cutInData, PcapStatus::TruncatedRecord, "record 2 needs 40 bytes, 39"},
        {"captured length beyond the bound", tooLong, PcapStatus::RecordTooLong, "record 2 claims 262145"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderOver over(c.bytes);
        ASSERT_EQ(over.reader.Open(), PcapStatus::Ok);
        PcapRecord record;
        ASSERT_EQ(over.reader.Next(record), PcapStatus::Ok);
        EXPECT_EQ(over.reader.Next(record), c.expected);
        EXPECT_NE(over.reader.ErrorText().find(c.detail), std::string::npos) << over.reader.ErrorText();
        EXPECT_EQ(over.reader.Next(record), c.expected) << "the error stays";
        EXPECT_EQ(over.reader.RecordsRead(), 1u);
    }
}

TEST(PacketReader, TakesRecordsLongerThanTheSnapLengthUpToTheBound) {
    PcapOptions options;
    options.snapLength = 64;
    ReaderOver over(PcapFile({{0, 0, Bytes(packet::kMaxRecordBytes, 7)}, {0, 0, Bytes(65, 8)}}, options));
    ASSERT_EQ(over.reader.Open(), PcapStatus::Ok);
    PcapRecord record;
    ASSERT_EQ(over.reader.Next(record), PcapStatus::Ok);
    EXPECT_EQ(record.capturedLength, packet::kMaxRecordBytes);
    EXPECT_EQ(record.data[packet::kMaxRecordBytes - 1], 7);
    ASSERT_EQ(over.reader.Next(record), PcapStatus::Ok);
    EXPECT_EQ(record.capturedLength, 65u);
}

TEST(PacketReader, OddButReadableFilesAreReadWholeAndSaidOnce) {
    PcapOptions snapZero;
    snapZero.snapLength = 0;
    PcapOptions snapTooLong;
    snapTooLong.snapLength = packet::kMaxRecordBytes + 1;
    const PcapFrame longerThanFrame{0, 0, Bytes(74, 5), 64};
    const struct {
        const char* name;
        Bytes bytes;
        const char* note; // nullptr: nothing to say
    } cases[] = {
        {"snap length 0", PcapFile({{0, 0, Bytes(60, 1)}}, snapZero), "a snap length of 0 (expected 1 to 262144)"},
        {"snap length over the bound", PcapFile({{0, 0, Bytes(60, 1)}}, snapTooLong), "a snap length of 262145"},
        {"records longer than their frames", PcapFile({{0, 0, Bytes(60, 1)}, longerThanFrame, longerThanFrame}),
         "record 2 holds 74 bytes of a frame of 64"},
        {"a plain file", PcapFile({{0, 0, Bytes(60, 1), 1514}}), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderOver over(c.bytes);
        ASSERT_EQ(over.reader.Open(), PcapStatus::Ok);
        PcapRecord record;
        while (over.reader.Next(record) == PcapStatus::Ok) {
            EXPECT_GE(record.wireLength, record.capturedLength);
        }
        EXPECT_TRUE(over.reader.ErrorText().empty());
        const std::vector<std::string> notes = over.reader.TakeNotes();
        if (c.note == nullptr) {
            EXPECT_TRUE(notes.empty());
            continue;
        }
        ASSERT_EQ(notes.size(), 1u) << "said once";
        EXPECT_NE(notes[0].find(c.note), std::string::npos) << notes[0];
        EXPECT_TRUE(over.reader.TakeNotes().empty());
    }
}

TEST(PacketReader, SourceHandingOutSmallPiecesGivesTheSameRecords) {
    // A source that returns one byte at a time makes every record straddle the reader's refills.
    class Trickle final : public packet::ByteSource {
    public:
        explicit Trickle(Bytes bytes) : m_bytes(std::move(bytes)) {}
        size_t Read(uint8_t* destination, size_t size) override {
            if (m_offset == m_bytes.size() || size == 0) {
                return 0;
            }
            *destination = m_bytes[m_offset++];
            return 1;
        }

    private:
        Bytes m_bytes;
        size_t m_offset = 0;
    };
    PcapReader reader(std::make_unique<Trickle>(PcapFile({{5, 6, Bytes(17, 3)}, {7, 8, Bytes(1, 4)}})));
    ASSERT_EQ(reader.Open(), PcapStatus::Ok);
    PcapRecord record;
    ASSERT_EQ(reader.Next(record), PcapStatus::Ok);
    EXPECT_EQ(record.capturedLength, 17u);
    ASSERT_EQ(reader.Next(record), PcapStatus::Ok);
    EXPECT_EQ(record.seconds, 7u);
    EXPECT_EQ(record.data[0], 4);
    EXPECT_EQ(reader.Next(record), PcapStatus::End);
}

TEST(PacketReader, ReadsEverySharedCaptureToItsEnd) {
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        auto source = packet::FileByteSource::Open(capture_bytes::DataFile(name + ".pcap").c_str());
        ASSERT_NE(source, nullptr);
        PcapReader reader(std::move(source));
        ASSERT_EQ(reader.Open(), PcapStatus::Ok);
        const auto totals = capture_bytes::ReadTotals(name);
        EXPECT_EQ(reader.Header().linkType, totals.at("linktype"));
        PcapRecord record;
        uint32_t longest = 0;
        PcapStatus status;
        while ((status = reader.Next(record)) == PcapStatus::Ok) {
            longest = std::max(longest, record.capturedLength);
        }
        EXPECT_EQ(status, PcapStatus::End) << reader.ErrorText();
        EXPECT_EQ(reader.RecordsRead(), totals.at("frames_total"));
        if (name == "eth-pim-ipv4-ipv6-mix") {
            EXPECT_GT(longest, reader.Header().snapLength) << "records longer than the snap length are kept whole";
        }
    }
}

TEST(PacketReader, MissingFileCannotBeOpened) {
    EXPECT_EQ(packet::FileByteSource::Open("/nonexistent/capture.pcap"), nullptr);
}

} // namespace
