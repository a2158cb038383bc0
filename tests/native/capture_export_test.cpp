// Flow export: records made from the flow table's counts (flows that leave, the active time-out), IPFIX
// messages as a collector of the tests' own reads them back, the template and sequence rules of a UDP
// session, the pacing of bursts, and the collector's address.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <random>
#include <set>
#include <tuple>
#include <unordered_map>

#include "capture/export/collector_address.h"
#include "capture/export/export_pacing.h"
#include "capture/export/flow_record_maker.h"
#include "capture/export/ipfix_message.h"
#include "capture/export/ipfix_stream.h"
#include "capture/export/row_map.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"
#include "capture_bytes.h"
#include "ipfix_reader.h"

namespace {

using capture::FlowRecord;
using capture_bytes::Datagram;
namespace ipfix = capture::ipfix;

constexpr uint64_t kSecond = 1'000'000; // capture times are in microseconds

struct RecordList final : capture::FlowRecordSink {
    std::vector<FlowRecord> records;
    void Take(const FlowRecord& record) override { records.push_back(record); }
};

FlowRecord Record(uint8_t protocol, uint32_t source, uint32_t destination, uint16_t word1, uint16_t word2,
                  uint32_t packets, uint32_t octets) {
    FlowRecord record;
    record.key = {capture_bytes::AsStored(source), capture_bytes::AsStored(destination), 0, 0, protocol, {}};
    const uint8_t words[4] = {static_cast<uint8_t>(word1 >> 8), static_cast<uint8_t>(word1),
                              static_cast<uint8_t>(word2 >> 8), static_cast<uint8_t>(word2)};
    std::memcpy(&record.key.sourcePort, words, 2);
    std::memcpy(&record.key.destinationPort, words + 2, 2);
    record.packets = packets;
    record.octets = octets;
    record.startMilliseconds = 1'700'000'000'123;
    record.endMilliseconds = 1'700'000'060'456;
    return record;
}

ipfix_reader::Message ReadBack(ipfix_reader::Reader& reader, const std::vector<uint8_t>& bytes) {
    ipfix_reader::Message message;
    std::string error;
    EXPECT_TRUE(reader.Read(bytes.data(), bytes.size(), message, error)) << error;
    return message;
}

TEST(FlowExportMessages, EachLayoutAndCountWidthReadsBackWithItsOwnElements) {
    struct Case {
        uint8_t protocol;
        uint16_t templateId;
        bool ports;
        bool icmp;
    };
    const Case cases[] = {{6, 256, true, false},  {17, 256, true, false},  {132, 256, true, false},
                          {1, 257, false, true},  {47, 258, false, false}, {2, 258, false, false},
                          {4, 258, false, false}, {0, 258, false, false}};
    struct Counts {
        uint32_t packets;
        uint32_t octets;
        bool narrow; // 1 and 2 bytes, in templates 3 above the wide ones
    };
    const Counts counts[] = {{7, 4'000'000'000u, false}, {255, 65535, true}, {256, 1, false}, {1, 65536, false}};
    for (const Case& c : cases) {
        for (const Counts& n : counts) {
            SCOPED_TRACE(std::to_string(c.protocol) + " " + std::to_string(n.packets) + " " + std::to_string(n.octets));
            ipfix::MessageWriter writer(true);
            ASSERT_TRUE(writer.Add(Record(c.protocol, 0x0a000001, 0xc0a80102, 0x0800, 0xbeef, n.packets, n.octets)));
            ipfix_reader::Reader reader;
            const ipfix_reader::Message message = ReadBack(reader, writer.Finish(1234, 99, 5));
            EXPECT_EQ(message.header.exportTime, 1234u);
            EXPECT_EQ(message.header.sequence, 99u);
            EXPECT_EQ(message.header.domain, 5u);
            ASSERT_EQ(message.records.size(), 1u);
            const ipfix_reader::Record& r = message.records[0];
            EXPECT_EQ(r.templateId, c.templateId + (n.narrow ? 3 : 0));
            EXPECT_EQ(r[ipfix::kSourceIPv4Address], 0x0a000001u);
            EXPECT_EQ(r[ipfix::kDestinationIPv4Address], 0xc0a80102u);
            EXPECT_EQ(r[ipfix::kProtocolIdentifier], c.protocol);
            EXPECT_EQ(r[ipfix::kPacketDeltaCount], n.packets);
            EXPECT_EQ(r[ipfix::kOctetDeltaCount], n.octets);
            EXPECT_EQ(r[ipfix::kFlowStartMilliseconds], 1'700'000'000'123u);
            EXPECT_EQ(r[ipfix::kFlowEndMilliseconds], 1'700'000'060'456u);
            EXPECT_EQ(r.Has(ipfix::kSourceTransportPort), c.ports);
            EXPECT_EQ(r.Has(ipfix::kDestinationTransportPort), c.ports);
            EXPECT_EQ(r.Has(ipfix::kIcmpTypeCodeIPv4), c.icmp);
            if (c.ports) {
                EXPECT_EQ(r[ipfix::kSourceTransportPort], 0x0800u);
                EXPECT_EQ(r[ipfix::kDestinationTransportPort], 0xbeefu);
            }
            if (c.icmp) {
                EXPECT_EQ(r[ipfix::kIcmpTypeCodeIPv4], 0x0800u); // type 8, code 0: an echo request
            }
        }
    }
}

TEST(FlowExportMessages, RandomRecordsAllArriveInFullMessagesShorterThan1400Bytes) {
    std::mt19937 random(7);
    std::deque<FlowRecord> queue;
    using Fields = std::tuple<uint64_t, uint64_t, uint64_t, uint64_t, uint64_t>; // layout-independent ones
    std::multiset<Fields> sent;
    for (uint32_t i = 0; i < 5000; ++i) {
        const uint8_t protocols[] = {6, 17, 1, 47, 132, 89};
        queue.push_back(Record(protocols[random() % 6], random(), random(), static_cast<uint16_t>(random()),
                               static_cast<uint16_t>(random()), random() % 1000 + 1,
                               static_cast<uint32_t>(random() % 2 != 0 ? random() % 65536 : random()))); // both widths
        const FlowRecord& r = queue.back();
        sent.insert({capture::HostOrder32(r.key.sourceAddress), capture::HostOrder32(r.key.destinationAddress),
                     r.key.protocol, r.packets, r.octets});
    }
    ipfix::Stream stream;
    ipfix_reader::Reader reader;
    std::multiset<Fields> received;
    std::size_t messages = 0;
    while (!queue.empty()) {
        const ipfix::Stream::Message message = stream.Next(queue, 9, {messages++ * 100, 0}); // templates only first
        ASSERT_LT(message.bytes.size(), ipfix::kMessageBytesBelow);
        if (!queue.empty()) { // full: the next record, with a set header of its own at most, did not fit
            EXPECT_GE(message.bytes.size() + ipfix::RecordBytes({ipfix::Layout::Ports, ipfix::Counts::Wide}) +
                          ipfix::kSetHeaderBytes,
                      ipfix::kMessageBytesBelow);
        }
        const ipfix_reader::Message read = ReadBack(reader, message.bytes);
        EXPECT_EQ(read.header.sequence, received.size());
        EXPECT_EQ(read.records.size(), message.records);
        for (const ipfix_reader::Record& r : read.records) {
            received.insert({r[ipfix::kSourceIPv4Address], r[ipfix::kDestinationIPv4Address],
                             r[ipfix::kProtocolIdentifier], r[ipfix::kPacketDeltaCount], r[ipfix::kOctetDeltaCount]});
        }
    }
    EXPECT_EQ(received, sent);
    EXPECT_LE(messages, sent.size() / 35 + 1); // about 37 records a message: the sets are not split up
}

TEST(FlowExportStream, EachDomainHasItsTemplatesFirstEveryMinuteAndAfterAPauseAndItsOwnSequence) {
    struct Step {
        uint64_t tick;
        uint32_t domain;
        std::size_t records;
        bool templates;
        uint32_t sequence;
    };
    const Step steps[] = {
        {0, 1, 3, true, 0},        // the first message
        {1'000, 1, 2, false, 3},   //
        {5'000, 2, 4, true, 0},    // another domain has templates and a count of its own
        {10'999, 1, 1, false, 5},  // 9.999 s of silence is no pause
        {20'999, 1, 1, true, 6},   // 10 s is
        {21'000, 2, 1, true, 4},   // the other domain's first message after its pause
        {30'000, 1, 1, false, 7},  //
        {39'000, 1, 1, false, 8},  //
        {48'000, 1, 1, false, 9},  //
        {57'000, 1, 1, false, 10}, //
        {66'000, 1, 1, false, 11}, //
        {75'000, 1, 1, false, 12}, // 54 s since the templates
        {80'999, 1, 1, true, 13},  // 60 s since the templates
        {70'000, 1, 1, true, 14},  // a clock that went back: templates rather than never again
    };
    ipfix::Stream stream;
    ipfix_reader::Reader reader;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.tick);
        std::deque<FlowRecord> queue(step.records, Record(17, 1, 2, 53, 53, 1, 60));
        const ipfix::Stream::Message message = stream.Next(queue, step.domain, {step.tick, 42});
        EXPECT_TRUE(queue.empty());
        EXPECT_EQ(message.templates, step.templates);
        const ipfix_reader::Message read = ReadBack(reader, message.bytes);
        EXPECT_EQ(read.templates, step.templates);
        EXPECT_EQ(read.header.sequence, step.sequence);
        EXPECT_EQ(read.header.domain, step.domain);
        EXPECT_EQ(read.records.size(), step.records);
    }
    std::deque<FlowRecord> none;
    EXPECT_TRUE(stream.Next(none, 1, {90'000, 0}).bytes.empty());
    EXPECT_EQ(stream.Sequence(1), 15u);
    // An adapter's domain is the same at every capture, never 0, and another adapter's differs.
    EXPECT_EQ(ipfix::ObservationDomainOf("eth0"), ipfix::ObservationDomainOf("eth0"));
    EXPECT_NE(ipfix::ObservationDomainOf("eth0"), ipfix::ObservationDomainOf("eth1"));
    EXPECT_NE(ipfix::ObservationDomainOf(""), 0u);
}

class FlowExportRecords : public ::testing::Test {
protected:
    FlowExportRecords()
        : services("/nonexistent/services"),
          table(capture::FlowTableServices{nullptr, [this] { return now; }, nullptr, &services, &settings, nullptr}) {
        packetCount = 0;
        totalBytes = 0;
        table.AddListener(&maker);
    }

    void Count(uint8_t protocol, uint16_t length, uint32_t source, uint16_t port, uint64_t captureTime) {
        const capture_bytes::Bytes datagram = Datagram(protocol, length, source, 0x0a000002, port, 80);
        EXPECT_EQ(table.OnPacket(datagram.data(), static_cast<uint32_t>(datagram.size()), captureTime),
                  capture::DatagramOutcome::Counted);
    }

    RecordList sink;
    capture::FlowRecordMaker maker{sink};
    CServicesParser services;
    capture::SettingsValues settings;
    uint32_t now = 0;
    capture::FlowTable table;
};

TEST_F(FlowExportRecords, ALongFlowGivesARecordPerMinuteAndTheSumsAreItsRow) {
    const uint64_t start = 1'700'000'000 * kSecond + 250'000;
    for (uint64_t second = 0; second <= 150; second += 10) {
        Count(6, 1000, 0x0a000001, 1234, start + second * kSecond);
        if (second == 0 || second == 50) {
            Count(17, 100, 0x0a000003, 53, start + second * kSecond); // a short flow, twice
        }
    }
    struct Expected {
        uint32_t packets;
        uint64_t first, last; // seconds after the start
    };
    // A datagram 60 s or more after the first of the current record starts the next record.
    const Expected longFlow[] = {{6, 0, 50}, {6, 60, 110}};
    ASSERT_EQ(sink.records.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(sink.records[i].packets, longFlow[i].packets);
        EXPECT_EQ(sink.records[i].octets, longFlow[i].packets * 1000);
        EXPECT_EQ(sink.records[i].startMilliseconds, (start + longFlow[i].first * kSecond) / 1000);
        EXPECT_EQ(sink.records[i].endMilliseconds, (start + longFlow[i].last * kSecond) / 1000);
    }
    EXPECT_EQ(maker.OpenFlows(), 2u);
    const uint32_t rowPackets[] = {table.RowPackets(0), table.RowPackets(1)};
    const uint32_t rowBytes[] = {table.RowRecord(0).bytes, table.RowRecord(1).bytes};
    table.Clear(); // the capture ends: the rest of every flow
    EXPECT_EQ(maker.OpenFlows(), 0u);
    ASSERT_EQ(sink.records.size(), 4u);
    EXPECT_EQ(sink.records[2].packets, 4u); // 120 s to 150 s
    EXPECT_EQ(sink.records[3].packets, 2u);
    EXPECT_EQ(sink.records[3].startMilliseconds, start / 1000);
    EXPECT_EQ(sink.records[3].endMilliseconds, (start + 50 * kSecond) / 1000);
    for (std::size_t row = 0; row < 2; ++row) {
        uint32_t packets = 0;
        uint32_t octets = 0;
        for (const FlowRecord& record : sink.records) {
            if (record.key == sink.records[row == 0 ? 0 : 3].key) {
                packets += record.packets;
                octets += record.octets;
            }
        }
        EXPECT_EQ(packets, rowPackets[row]);
        EXPECT_EQ(octets, rowBytes[row]);
    }
}

TEST_F(FlowExportRecords, AFlowThatGoesIdleIsRecordedAndOneThatComesBackStartsAgain) {
    settings.idleseconds = 10'000;
    Count(6, 500, 0x0a000001, 1, 5 * kSecond);
    Count(6, 500, 0x0a000001, 1, 6 * kSecond);
    now = 10'001;
    table.UpdateTraffic();
    ASSERT_EQ(sink.records.size(), 1u);
    EXPECT_EQ(sink.records[0].packets, 2u);
    EXPECT_EQ(sink.records[0].octets, 1000u);
    Count(6, 700, 0x0a000001, 1, 7 * kSecond);
    table.Clear();
    ASSERT_EQ(sink.records.size(), 2u);
    EXPECT_EQ(sink.records[1].packets, 1u);
    EXPECT_EQ(sink.records[1].octets, 700u);
    EXPECT_EQ(sink.records[1].startMilliseconds, 7000u);
}

TEST_F(FlowExportRecords, TheSourcesEndSendsEveryRecordAndWhatFollowsAfterAllStartsAgain) {
    Count(6, 500, 0x0a000001, 1, 5 * kSecond);
    Count(17, 100, 0x0a000003, 53, 6 * kSecond);
    table.SourceEnded();
    ASSERT_EQ(sink.records.size(), 2u);
    EXPECT_EQ(maker.OpenFlows(), 0u);
    EXPECT_EQ(table.RowCount(), 2u) << "the rows stay until the capture stops";
    Count(6, 700, 0x0a000001, 1, 7 * kSecond);
    table.Clear(); // only what came after the end is left to record
    ASSERT_EQ(sink.records.size(), 3u);
    EXPECT_EQ(sink.records[2].packets, 1u);
    EXPECT_EQ(sink.records[2].octets, 700u);
    EXPECT_EQ(sink.records[2].startMilliseconds, 7000u);
}

TEST_F(FlowExportRecords, TimeThatStepsBackNeitherEndsARecordNorTurnsItInsideOut) {
    Count(17, 100, 0x0a000001, 1, 100 * kSecond);
    Count(17, 100, 0x0a000001, 1, 30 * kSecond);
    Count(17, 100, 0x0a000001, 1, 159 * kSecond); // more than a minute after the record's earliest datagram
    table.Clear();
    ASSERT_EQ(sink.records.size(), 2u);
    EXPECT_EQ(sink.records[0].packets, 2u);
    EXPECT_EQ(sink.records[0].startMilliseconds, 30'000u);
    EXPECT_EQ(sink.records[0].endMilliseconds, 100'000u);
    EXPECT_EQ(sink.records[1].packets, 1u);
}

TEST(FlowExportRecordMaker, ARecordIsCutBeforeItsOctetsWouldOverflow32Bits) {
    RecordList sink;
    capture::FlowRecordMaker maker(sink);
    capture::FlowRow row{};
    maker.OnCounted(row, 0x80000000u, 1);
    maker.OnCounted(row, 0x7fffffffu, 2); // exactly 2^32 - 1: still one record
    maker.OnCounted(row, 1, 3);
    maker.OnFlowEnded(row, capture::FlowEnd::Removed);
    ASSERT_EQ(sink.records.size(), 2u);
    EXPECT_EQ(sink.records[0].packets, 2u);
    EXPECT_EQ(sink.records[0].octets, 0xffffffffu);
    EXPECT_EQ(sink.records[1].packets, 1u);
    EXPECT_EQ(sink.records[1].octets, 1u);
}

TEST(FlowExportRowMap, AgreesWithAReferenceMapThroughGrowthEraseAndShrinking) {
    std::vector<capture::FlowRow> rows(5000);
    capture::RowMap<uint32_t> map;
    std::unordered_map<const void*, uint32_t> reference;
    std::mt19937 random(11);
    for (int step = 0; step < 200'000; ++step) {
        // Mostly adds at first, then mostly erases, so that the array grows, wraps its clusters and shrinks.
        const void* row = &rows[random() % rows.size()];
        if (step < 100'000 ? random() % 3 != 0 : random() % 10 == 0) {
            const auto [value, isNew] = map.FindOrAdd(row);
            EXPECT_EQ(isNew, reference.count(row) == 0);
            *value += 1;
            reference[row] += 1;
        } else {
            reference.erase(row);
            map.Erase(row);
        }
        if (step % 10'000 == 0 || step == 199'999) {
            ASSERT_EQ(map.Size(), reference.size());
            std::unordered_map<const void*, uint32_t> seen;
            map.ForEach([&](const void* key, uint32_t value) { seen[key] = value; });
            for (auto [key, value] : reference) {
                const uint32_t* found = map.Find(key);
                ASSERT_NE(found, nullptr);
                EXPECT_EQ(*found, value);
            }
            EXPECT_EQ(seen, reference);
        }
    }
}

TEST(FlowExportPacing, ABurstGoesAtOnceThenTheSteadyRateHolds) {
    capture::ExportPacing pacing(1000, 4); // one message a millisecond, bursts of 4
    const uint64_t ms = 1'000'000;
    uint64_t now = 50 * ms;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pacing.WaitBeforeNext(now), 0u) << i;
        pacing.Sent(now);
    }
    EXPECT_EQ(pacing.WaitBeforeNext(now), 1 * ms);
    now += 1 * ms;
    pacing.Sent(now);
    EXPECT_EQ(pacing.WaitBeforeNext(now), 1 * ms);
    now += 100 * ms; // a quiet spell fills the bucket again, no more than the burst
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pacing.WaitBeforeNext(now), 0u) << i;
        pacing.Sent(now);
    }
    EXPECT_GT(pacing.WaitBeforeNext(now), 0u);
    EXPECT_EQ(pacing.DurationOf(350), 350 * ms);
}

TEST(FlowExportCollector, HostAndPortAreReadOrRefusedWithTheForm) {
    struct Case {
        const char* text;
        const char* host; // null: refused
        uint16_t port;
        const char* shown;
    };
    const Case cases[] = {
        {"127.0.0.1:9995", "127.0.0.1", 9995, "127.0.0.1:9995"},
        {"collector.example:1", "collector.example", 1, "collector.example:1"},
        {"h:65535", "h", 65535, "h:65535"},
        {"[::1]:4739", "::1", 4739, "[::1]:4739"},
        {"h:0", nullptr, 0, ""},
        {"h:65536", nullptr, 0, ""},
        {"h:99999999999999999999", nullptr, 0, ""},
        {"h:-1", nullptr, 0, ""},
        {"h:+1", nullptr, 0, ""},
        {"h:12a", nullptr, 0, ""},
        {"h:", nullptr, 0, ""},
        {":9995", nullptr, 0, ""},
        {"h", nullptr, 0, ""},
        {"", nullptr, 0, ""},
        {"::1:4739", nullptr, 0, ""},
        {"[::1]", nullptr, 0, ""},
        {"[::1]4739", nullptr, 0, ""},
        {"[]:4739", nullptr, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        capture::CollectorAddress collector;
        std::string error;
        const bool read = capture::ParseCollectorAddress(c.text, collector, error);
        EXPECT_EQ(read, c.host != nullptr);
        if (read) {
            EXPECT_EQ(collector.host, c.host);
            EXPECT_EQ(collector.port, c.port);
            EXPECT_EQ(capture::CollectorText(collector), c.shown);
        } else {
            EXPECT_EQ(error,
                      std::string("the collector is HOST:PORT (a port from 1 to 65535), not \"") + c.text + "\"");
        }
    }
}

} // namespace
