// The pcapng reader of the packet library stand-in and the format choice in front of both readers: time
// resolutions, byte orders, sections and interfaces, blocks passed over, damaged blocks, a stream that
// arrives in pieces, and the real captures converted by editcap, record for record as their classic form.
#include "packet/pcapng_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "capture_bytes.h"
#include "packet/capture_format.h"
#include "pcapng_bytes.h"

namespace {

using capture_bytes::Bytes;
using packet::PcapRecord;
using packet::PcapStatus;
using pcapng_bytes::Capture;
using pcapng_bytes::InterfaceOptions;

// A reader of either format over a copy of the bytes that it cannot look beyond (the sanitizers watch).
struct ReaderOver {
    explicit ReaderOver(const Bytes& bytes)
        : copy(bytes),
          reader(packet::CaptureReaderFor(std::make_unique<packet::MemoryByteSource>(copy.data(), copy.size()))) {}
    Bytes copy;
    std::unique_ptr<packet::CaptureReader> reader;
};

TEST(PcapngTime, UnitsOfEveryResolutionBecomeSecondsAndMicroseconds) {
    const struct {
        uint64_t units;
        uint8_t resolution;
        uint64_t seconds;
        uint32_t microseconds;
    } cases[] = {
        {1700000000123456ull, 6, 1700000000, 123456},                // the default
        {1700000000123456789ull, 9, 1700000000, 123456},             // nanoseconds, cut down
        {17000000001ull, 1, 1700000000, 100000},                     // tenths
        {1700000000ull, 0, 1700000000, 0},                           // seconds
        {10000000000000000000ull, 19, 1, 0},                         // the finest power of ten that fits
        {15000000000000000000ull, 20, 0, 150000},                    // below a second whatever the count
        {18000000000000000000ull, 25, 0, 1},                         //
        {18000000000000000000ull, 26, 0, 0},                         // below a microsecond whatever the count
        {1700000000ull * 1024 + 512, 0x80 | 10, 1700000000, 500000}, // 2^-10
        {1700000000ull << 32 | 0x80000000u, 0x80 | 32, 1700000000, 500000},
        {(1ull << 50) - 1, 0x80 | 50, 0, 999999}, // the product no longer fits 64 bits
        {15ull << 56, 0x80 | 60, 0, 937500},
        {1ull << 63, 0x80 | 64, 0, 500000},
        {~0ull, 0x80 | 127, 0, 0},
        {5, 0x80 | 0, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.units) + " at resolution " + std::to_string(c.resolution));
        const packet::CaptureTime time = packet::TimeOfUnits(c.units, c.resolution);
        EXPECT_EQ(time.seconds, c.seconds);
        EXPECT_EQ(time.microseconds, c.microseconds);
    }
}

TEST(PcapngReader, ReadsEveryPacketBlockInEitherByteOrder) {
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        Capture capture;
        capture.Section(bigEndian)
            .Interface({.linkType = 6, .snapLength = 96, .resolution = 9, .offsetSeconds = 100})
            .Enhanced(0, 1700000000123456789ull, Bytes(61, 0x11), 1514)
            .Obsolete(0, 1700000001000000000ull, Bytes(3, 0x22))
            .Simple(Bytes(96, 0x33), 1500); // cut to the snap length
        ReaderOver over(capture.bytes);
        ASSERT_EQ(over.reader->Open(), PcapStatus::Ok);
        EXPECT_EQ(over.reader->Header().linkType, 6u);
        EXPECT_EQ(over.reader->Header().snapLength, 96u);
        EXPECT_EQ(over.reader->Header().swapped, bigEndian);

        PcapRecord record;
        ASSERT_EQ(over.reader->Next(record), PcapStatus::Ok);
        EXPECT_EQ(record.seconds, 1700000100u) << "if_tsoffset added";
        EXPECT_EQ(record.microseconds, 123456u);
        EXPECT_EQ(record.capturedLength, 61u);
        EXPECT_EQ(record.wireLength, 1514u);
        EXPECT_EQ(record.data[60], 0x11);
        ASSERT_EQ(over.reader->Next(record), PcapStatus::Ok);
        EXPECT_EQ(record.seconds, 1700000101u);
        EXPECT_EQ(record.capturedLength, 3u);
        EXPECT_EQ(record.data[0], 0x22);
        ASSERT_EQ(over.reader->Next(record), PcapStatus::Ok);
        EXPECT_EQ(record.seconds, 1700000101u) << "a simple packet takes its predecessor's time";
        EXPECT_EQ(record.capturedLength, 96u);
        EXPECT_EQ(record.wireLength, 1500u);
        EXPECT_EQ(over.reader->Next(record), PcapStatus::End);
        EXPECT_EQ(over.reader->Next(record), PcapStatus::End);
        EXPECT_EQ(over.reader->RecordsRead(), 3u);
        EXPECT_TRUE(over.reader->ErrorText().empty());
    }
}

TEST(PcapngReader, SectionsCountTheirOwnInterfacesAndOtherLinkTypesAreLeftOut) {
    Capture capture;
    capture.Section()
        .Interface({.linkType = 1})
        .Interface({.linkType = 113}) // Linux cooked: its bytes have another layout than Ethernet
        .Enhanced(0, 1, Bytes(40, 1))
        .Enhanced(1, 2, Bytes(40, 2))
        .Enhanced(1, 3, Bytes(40, 3))
        .Section(true) // big-endian, and its interface 0 is its own
        .Interface({.linkType = 1, .resolution = 0x80 | 10})
        .Enhanced(0, 1024 * 5, Bytes(40, 4));
    ReaderOver over(capture.bytes);
    ASSERT_EQ(over.reader->Open(), PcapStatus::Ok);
    PcapRecord record;
    std::vector<uint8_t> firstBytes;
    while (over.reader->Next(record) == PcapStatus::Ok) {
        firstBytes.push_back(record.data[0]);
    }
    EXPECT_EQ(firstBytes, (std::vector<uint8_t>{1, 4}));
    EXPECT_EQ(record.seconds, 5u);
    EXPECT_EQ(over.reader->RecordsRead(), 4u);
    EXPECT_EQ(over.reader->OtherLinkTypeRecords(), 2u);
    const std::vector<std::string> notes = over.reader->TakeNotes();
    ASSERT_EQ(notes.size(), 1u) << "said once";
    EXPECT_NE(notes[0].find("packet 2 (block 5 at byte "), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find("link type 113, not the capture's 1; such packets are left out and counted"),
              std::string::npos)
        << notes[0];
}

TEST(PcapngReader, PassesOverEveryOtherBlockByItsLength) {
    Capture capture;
    capture.Section().Block(0xbad, Bytes(7, 9)); // custom, before any interface
    capture.Interface()
        .Block(4, Bytes(20, 0)) // name resolution
        .Enhanced(0, 1, Bytes(40, 1))
        .Block(5, Bytes(24, 0))         // interface statistics
        .Block(10, Bytes(13, 0))        // decryption secrets
        .Block(0x40000bad, Bytes(8, 0)) // custom, not to be copied
        .Block(0x12345678, {})          // unknown
        .Enhanced(0, 2, Bytes(40, 2));
    ReaderOver over(capture.bytes);
    ASSERT_EQ(over.reader->Open(), PcapStatus::Ok);
    PcapRecord record;
    ASSERT_EQ(over.reader->Next(record), PcapStatus::Ok);
    ASSERT_EQ(over.reader->Next(record), PcapStatus::Ok);
    EXPECT_EQ(record.data[0], 2);
    EXPECT_EQ(over.reader->Next(record), PcapStatus::End);
}

// A capture whose third block (the first packet) is given, then damaged by change.
struct Damage {
    const char* name;
    std::function<void(Capture&)> change; // on a capture of one section, one interface and two packets
    PcapStatus expected;
    const char* detail;
    bool atOpen = false; // found before the first record
};

TEST(PcapngReader, UnsoundInputStopsTheCaptureWithWhereAndWhy) {
    // Offsets: the section header is 28 bytes, the interface 24 (with its end option), each packet 76.
    constexpr size_t kPacket = 28 + 24;
    const auto build = [](Capture& capture) {
        capture.Section().Interface({.snapLength = 64}).Enhanced(0, 1, Bytes(40, 1)).Enhanced(0, 2, Bytes(40, 2));
    };
    // The other unsound inputs are given to the program itself by the end-to-end bad-input test.
    const Damage damages[] = {
        {"cut inside a block's length", [](Capture& c) { c.bytes.resize(c.bytes.size() - 70); },
         PcapStatus::TruncatedBlock, "block 4 at byte 128 has only 6 of its 8 header bytes"},
        {"a captured length beyond its block", [](Capture& c) { c.Put32(kPacket + 20, 45); },
         PcapStatus::BadBlockContents, "block 3 at byte 52 claims 45 packet bytes; the block holds 44", true},
        {"a byte-order magic of neither order", [](Capture& c) { c.bytes[8] = 0; }, PcapStatus::BadByteOrderMagic,
         "block 1 at byte 0", true},
        {"an option running past its block",
         [](Capture& c) {
             c.bytes[28 + 16] = 2; // a comment of 9 bytes where the end of the options is
             c.bytes[28 + 16 + 2] = 9;
         },
         PcapStatus::BadBlockContents, "option 2 runs past the end of the block", true},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        Capture capture;
        build(capture);
        damage.change(capture);
        ReaderOver over(capture.bytes);
        PcapRecord record;
        PcapStatus status = over.reader->Open();
        if (!damage.atOpen) {
            ASSERT_EQ(status, PcapStatus::Ok);
            ASSERT_EQ(over.reader->Next(record), PcapStatus::Ok);
            status = over.reader->Next(record);
        } else if (status == PcapStatus::Ok) {
            status = over.reader->Next(record);
            EXPECT_EQ(over.reader->RecordsRead(), 0u) << "nothing before the damage is a packet";
        }
        EXPECT_EQ(status, damage.expected);
        EXPECT_NE(over.reader->ErrorText().find(damage.detail), std::string::npos) << over.reader->ErrorText();
        EXPECT_EQ(over.reader->Next(record), damage.expected) << "the error stays";
    }
}

TEST(PcapngReader, OddButReadablePacketsAreReadWholeAndSaidOnce) {
    Capture capture;
    capture.Section()
        .Interface({.snapLength = 64})
        .Enhanced(0, 1, Bytes(65, 1)) // beyond the snap length, as converted captures have them
        .Enhanced(0, 2, Bytes(70, 2))
        .Enhanced(0, 3, Bytes(50, 3), 40) // more bytes than the frame had
        .Enhanced(0, 4, Bytes(50, 4), 40);
    ReaderOver over(capture.bytes);
    ASSERT_EQ(over.reader->Open(), PcapStatus::Ok);
    PcapRecord record;
    std::vector<uint32_t> lengths;
    while (over.reader->Next(record) == PcapStatus::Ok) {
        lengths.push_back(record.capturedLength);
        EXPECT_GE(record.wireLength, record.capturedLength);
    }
    EXPECT_EQ(lengths, (std::vector<uint32_t>{65, 70, 50, 50}));
    EXPECT_TRUE(over.reader->ErrorText().empty());
    const std::vector<std::string> notes = over.reader->TakeNotes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("packet 1 (block 3 at byte 52) holds 65 bytes, more than its interface's snap length of "
                            "64; such packets are read as stored"),
              std::string::npos)
        << notes[0];
    EXPECT_NE(notes[1].find("packet 3 (block 5 at byte "), std::string::npos) << notes[1];
    EXPECT_NE(notes[1].find("holds 50 bytes of a frame of 40"), std::string::npos) << notes[1];
}

TEST(CaptureFormat, TheFirstFourBytesChooseTheReader) {
    Capture pcapng;
    pcapng.Section().Interface({.linkType = 113});
    Bytes notCapture(100, 'x');
    const struct {
        const char* name;
        Bytes bytes;
        PcapStatus expected;
        uint32_t linkType;
    } cases[] = {
        {"pcapng", pcapng.bytes, PcapStatus::Ok, 113},
        {"classic", capture_bytes::PcapFile({}, {.linkType = 6}), PcapStatus::Ok, 6},
        {"no capture", notCapture, PcapStatus::BadMagic, 0},
        {"three bytes", Bytes(3, 0x0a), PcapStatus::ShortHeader, 0},
        {"pcapng's first four bytes only", Bytes(pcapng.bytes.begin(), pcapng.bytes.begin() + 4),
         PcapStatus::TruncatedBlock, 0},
        {"a section header and no interface", Capture().Section().bytes, PcapStatus::Ok, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderOver over(c.bytes);
        EXPECT_EQ(over.reader->Open(), c.expected) << over.reader->ErrorText();
        if (c.expected == PcapStatus::Ok) {
            EXPECT_EQ(over.reader->Header().linkType, c.linkType);
            PcapRecord record;
            EXPECT_EQ(over.reader->Next(record), PcapStatus::End);
        }
    }
    ReaderOver garbage(notCapture);
    (void)garbage.reader->Open();
    EXPECT_EQ(garbage.reader->ErrorText(), "not a libpcap or pcapng capture file (wrong magic number)");
}

TEST(CaptureFormat, AStreamInPiecesWaitsAndLosesNothing) {
    // Bytes arrive as the test hands them over; until the writer is done, more may come.
    class Stream final : public packet::ByteSource {
    public:
        std::size_t Read(uint8_t* destination, std::size_t size) override {
            const std::size_t count = std::min(size, arrived.size() - offset);
            std::copy_n(arrived.begin() + static_cast<std::ptrdiff_t>(offset), count, destination);
            offset += count;
            return count;
        }
        bool MoreMayCome() const override { return !closed; }
        Bytes arrived;
        std::size_t offset = 0;
        bool closed = false;
    };
    Capture capture;
    capture.Section().Interface().Enhanced(0, 7000000, Bytes(40, 1)).Enhanced(0, 8000000, Bytes(40, 2));
    auto owned = std::make_unique<Stream>();
    Stream& stream = *owned;
    auto reader = packet::CaptureReaderFor(std::move(owned));
    PcapRecord record;
    std::vector<uint32_t> seconds;
    for (size_t at = 0; at <= capture.bytes.size(); at += 5) {
        stream.arrived.assign(capture.bytes.begin(), capture.bytes.begin() + static_cast<std::ptrdiff_t>(at));
        const bool opened = at >= 28 + 24;
        ASSERT_EQ(reader->Open(), opened ? PcapStatus::Ok : PcapStatus::Waiting) << at;
        PcapStatus status;
        while (opened && (status = reader->Next(record)) == PcapStatus::Ok) {
            seconds.push_back(record.seconds);
        }
    }
    stream.arrived = capture.bytes;
    stream.closed = true;
    while (reader->Next(record) == PcapStatus::Ok) {
        seconds.push_back(record.seconds);
    }
    EXPECT_EQ(seconds, (std::vector<uint32_t>{7, 8}));
    EXPECT_EQ(reader->Next(record), PcapStatus::End);
}

TEST(PcapngReader, EveryConvertedSharedCaptureHoldsTheRecordsOfItsClassicForm) {
    for (const std::string& name : capture_bytes::SharedCaptures()) {
        SCOPED_TRACE(name);
        const auto classic = packet::OpenCaptureFile(capture_bytes::DataFile(name + ".pcap").c_str());
        const auto converted = packet::OpenCaptureFile(pcapng_bytes::CorpusFile(name).c_str());
        ASSERT_NE(classic, nullptr);
        ASSERT_NE(converted, nullptr) << "run the pcapng_corpus test first";
        EXPECT_EQ(converted->Header().linkType, classic->Header().linkType);
        PcapRecord a;
        PcapRecord b;
        PcapStatus first;
        while ((first = classic->Next(a)) == PcapStatus::Ok) {
            ASSERT_EQ(converted->Next(b), PcapStatus::Ok) << converted->ErrorText();
            ASSERT_EQ(a.seconds, b.seconds);
            ASSERT_EQ(a.microseconds, b.microseconds);
            ASSERT_EQ(a.capturedLength, b.capturedLength);
            ASSERT_EQ(a.wireLength, b.wireLength);
            ASSERT_TRUE(std::equal(a.data, a.data + a.capturedLength, b.data)) << "record " << classic->RecordsRead();
        }
        EXPECT_EQ(first, PcapStatus::End) << classic->ErrorText();
        EXPECT_EQ(converted->Next(b), PcapStatus::End) << converted->ErrorText();
        EXPECT_EQ(converted->RecordsRead(), capture_bytes::ReadTotals(name).at("frames_total"));
    }
}

} // namespace
