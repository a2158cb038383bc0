// The capture log's record layouts: head, hex dump, hex and text dump, raw bytes, and which part of the
// datagram each log type shows.
#include "capture/log/log_format.h"
#include "capture/log/protocol_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const capture::LocalTime kTime{2024, 1, 2, 9, 5, 3, 7};
const std::string kTimeLine = "\r\n[09:05:03.007 - 02.01.2024]\r\n";

// An IPv4 datagram with a 20-byte header; the bytes after the header count up from 0.
Bytes Datagram(uint8_t protocol, uint16_t totalLength, uint16_t sourcePort = 1025, uint16_t destinationPort = 80) {
    Bytes d(totalLength);
    for (std::size_t i = 20; i < d.size(); ++i) {
        d[i] = static_cast<uint8_t>(i - 20);
    }
    d[0] = 0x45;
    d[2] = static_cast<uint8_t>(totalLength >> 8);
    d[3] = static_cast<uint8_t>(totalLength);
    d[8] = 64;
    d[9] = protocol;
    const uint8_t addresses[8] = {10, 0, 0, 1, 192, 168, 1, 20};
    std::memcpy(&d[12], addresses, sizeof addresses);
    if (totalLength >= 24) {
        d[20] = static_cast<uint8_t>(sourcePort >> 8);
        d[21] = static_cast<uint8_t>(sourcePort);
        d[22] = static_cast<uint8_t>(destinationPort >> 8);
        d[23] = static_cast<uint8_t>(destinationPort);
    }
    return d;
}

std::string Record(int32_t logType, const Bytes& d, uint32_t headerSize) {
    std::string out;
    capture::AppendLogRecord(out, kTime, logType, d.data(), static_cast<uint32_t>(d.size()),
                             static_cast<uint32_t>(d.size()), headerSize);
    return out;
}

std::string Head(const Bytes& d) {
    std::string out;
    capture::AppendRecordHead(out, kTime, d.data(), static_cast<uint32_t>(d.size()));
    return out;
}

TEST(LogRecordHead, ShowsTimeProtocolLengthAndBothEnds) {
    EXPECT_EQ(Head(Datagram(6, 60, 51234, 443)),
              kTimeLine + "Proto: TCP len: 60 10.0.0.1:51234 -> 192.168.1.20:443 \r\n\r\n");
}

TEST(LogRecordHead, PadsTheClockAndWritesTheFullYear) {
    std::string out;
    const Bytes d = Datagram(17, 28);
    capture::AppendRecordHead(out, {1999, 12, 31, 23, 59, 58, 999}, d.data(), 28);
    EXPECT_EQ(out.substr(0, out.find("Proto")), "\r\n[23:59:58.999 - 31.12.1999]\r\n");
}

TEST(LogRecordHead, ReadsOnlyTheCapturedBytes) {
    // 20 bytes: no port words, which read as 0. The copy is exactly sized for the address sanitizer.
    const Bytes d = Datagram(1, 20);
    EXPECT_EQ(Head(d), kTimeLine + "Proto: ICMP len: 20 10.0.0.1:0 -> 192.168.1.20:0 \r\n\r\n");
    std::string out;
    capture::AppendRecordHead(out, kTime, nullptr, 0);
    EXPECT_EQ(out, kTimeLine + "Proto: Reserved len: 0 0.0.0.0:0 -> 0.0.0.0:0 \r\n\r\n");
}

TEST(ProtocolNames, FixedEntriesAndTheUnknownNumbers) {
    FillUnknownProtocolNames();
    const std::pair<int, const char*> names[] = {
        {0, "Reserved"},
        {1, "ICMP"},
        {6, "TCP"},
        {17, "UDP"},
        {39, "TP++"},
        {54, "NHRP"},
        {55, "unknown (55)"},
        {61, "unknown (61)"},
        {62, "CFTP"},
        {63, "unknown (63)"},
        {68, "unknown (68)"},
        {90, "Sprite-RPC"},
        {93, "AX.25"},
        {99, "unknown (99)"},
        {100, "GMTP"},
        {101, "unknown (101)"},
        {200, "unknown (200)"},
        {255, "unknown (255)"},
    };
    for (const auto& [number, name] : names) {
        EXPECT_STREQ(protocolNames[number], name) << number;
    }
    for (int number = 101; number < 256; ++number) {
        EXPECT_EQ(protocolNames[number], "unknown (" + std::to_string(number) + ")");
    }
    for (const auto& entry : protocolNames) {
        EXPECT_LT(strnlen(entry, kProtocolNameSize), static_cast<std::size_t>(kProtocolNameSize));
    }
    EXPECT_NE(Head(Datagram(200, 24)).find("Proto: unknown (200) len: 24 "), std::string::npos);
}

TEST(LogHexDump, TwentyBytesMakeAFullLineAndAPartialOne) {
    const Bytes d = {0x45, 0x00, 0x00, 0x14, 0x12, 0x34, 0x40, 0x00, 0x40, 0x01,
                     0xab, 0xcd, 0x0a, 0x00, 0x00, 0x01, 0xc0, 0xa8, 0x01, 0x14};
    EXPECT_EQ(Record(2, d, 0), kTimeLine + "Proto: ICMP len: 20 10.0.0.1:0 -> 192.168.1.20:0 \r\n\r\n"
                                           "00000000 45 00 00 14 12 34 40 00 40 01 ab cd 0a 00 00 01\r\n"
                                           "00000010 c0 a8 01 14 \r\n");
}

TEST(LogHexTextDump, ThirtyTwoBytesMakeTwoFullLinesAndNoPartialOne) {
    Bytes d = Datagram(17, 32, 1234, 53);
    const uint8_t payload[4] = {'A', 0x1b, 0x09, 0xff};
    std::memcpy(&d[28], payload, sizeof payload);
    const std::string body = Record(0, d, 28).substr(Head(d).size());
    EXPECT_EQ(body, "00000000 45 00 00 20 00 00 00 00 40 11 00 00 0a 00 00 01 E       @\x11     \x01\r\n"
                    "00000010 c0 a8 01 14 04 d2 00 35 04 05 06 07 41 1b 09 ff \xc0\xa8\x01\x14\x04\xd2 5\x04\x05\x06 "
                    "A\x1b \xff\r\n");
}

TEST(LogHexTextDump, ControlBytesBecomeSpacesOnlyForNulAndTheEscapes) {
    const Bytes bytes = {0, 7, 8, 9, 10, 11, 12, 13, 27, 1, 6, 14, 31, 127, 128, 255};
    std::string line;
    capture::AppendHexTextDump(line, bytes.data(), 16);
    ASSERT_EQ(line.size(), 75u);
    EXPECT_EQ(line.substr(57), std::string("        \x1b\x01\x06\x0e\x1f\x7f\x80\xff\r\n"));
}

TEST(LogHexTextDump, APartialLineIsPaddedSoItsTextColumnLinesUp) {
    const Bytes bytes = {'a', 'b', 'c'};
    std::string line;
    capture::AppendHexTextDump(line, bytes.data(), 3);
    EXPECT_EQ(line, "00000000 61 62 63" + std::string(13 * 3 + 1, ' ') + "abc\r\n");
    EXPECT_EQ(line.find("abc"), 57u);
}

TEST(LogHexDump, OffsetsCountSixteenBytesPerLine) {
    const Bytes bytes(40, 0xee);
    std::string text;
    capture::AppendHexDump(text, bytes.data(), 40);
    EXPECT_NE(text.find("\r\n00000010 "), std::string::npos);
    EXPECT_NE(text.find("\r\n00000020 ee ee ee ee ee ee ee ee \r\n"), std::string::npos);
    std::string nothing;
    capture::AppendHexDump(nothing, nullptr, 0);
    capture::AppendHexTextDump(nothing, nullptr, 0);
    capture::AppendRaw(nothing, nullptr, 0);
    EXPECT_EQ(nothing, "");
}

TEST(LogTypes, PayloadLayoutsStartAfterTheFixedHeaderWithOffsetsFromZero) {
    const Bytes tcp = Datagram(6, 60);
    const std::string body = Record(3, tcp, 40).substr(Head(tcp).size());
    // Byte 40 of the datagram is the 21st byte after the IP header, which holds 20.
    EXPECT_EQ(body.substr(0, 21), "00000000 14 15 16 17 ");
    EXPECT_NE(body.find("\r\n00000010 24 25 26 27 "), std::string::npos);
    EXPECT_EQ(body.find("00000020"), std::string::npos);

    const std::string hexOnly = Record(5, tcp, 40).substr(Head(tcp).size());
    EXPECT_EQ(hexOnly.substr(0, 21), "00000000 14 15 16 17 ");
}

TEST(LogTypes, IcmpHasNoFixedHeaderSoItsPayloadIsTheWholeDatagram) {
    const Bytes icmp = Datagram(1, 84);
    EXPECT_EQ(Record(3, icmp, 0), Record(0, icmp, 0));
    EXPECT_EQ(Record(3, icmp, 0).substr(Head(icmp).size(), 12), "00000000 45 ");
}

TEST(LogTypes, RawBodiesKeepTheDatagramsBytesUnchanged) {
    Bytes udp = Datagram(17, 40);
    udp[30] = '\n';
    udp[31] = '\r';
    const std::string whole = Record(1, udp, 28);
    EXPECT_EQ(whole.substr(Head(udp).size()), std::string(udp.begin(), udp.end()));
    const std::string payload = Record(4, udp, 28);
    EXPECT_EQ(payload.substr(Head(udp).size()), std::string(udp.begin() + 28, udp.end()));
}

TEST(LogTypes, TypeSixWritesTheHeadOnlyAndUnknownTypesAreTheDefault) {
    const Bytes tcp = Datagram(6, 100);
    EXPECT_EQ(Record(6, tcp, 40), Head(tcp));
    EXPECT_EQ(Record(7, tcp, 40), Record(0, tcp, 40));
    EXPECT_EQ(Record(-1, tcp, 40), Record(0, tcp, 40));
}

TEST(LogTypes, OnlyTheCapturedBytesOfATruncatedDatagramAreDumped) {
    const Bytes tcp = Datagram(6, 1500);
    const Bytes captured(tcp.begin(), tcp.begin() + 82); // exactly sized for the address sanitizer
    std::string out;
    capture::AppendLogRecord(out, kTime, 0, captured.data(), 1500, 82, 40);
    EXPECT_NE(out.find("len: 1500 "), std::string::npos);
    EXPECT_NE(out.find("\r\n00000050 3c 3d " + std::string(14 * 3, ' ') + "<=\r\n"), std::string::npos)
        << "82 bytes: five full lines and two bytes";
    EXPECT_EQ(out.find("00000060"), std::string::npos);

    out.clear();
    capture::AppendLogRecord(out, kTime, 3, captured.data(), 1500, 30, 40); // fewer bytes than the header
    EXPECT_EQ(out, Head(Bytes(captured.begin(), captured.begin() + 30)));

    out.clear();
    capture::AppendLogRecord(out, kTime, 4, captured.data(), 1500, 82, 40);
    EXPECT_EQ(out.size(), Head(captured).size() + 42);
}

TEST(LogTypes, LinkPaddingBeyondTheTotalLengthIsNotDumped) {
    Bytes padded = Datagram(6, 44);
    padded.resize(46, 0xaa);
    std::string out;
    capture::AppendLogRecord(out, kTime, 1, padded.data(), 44, 46, 40);
    EXPECT_EQ(out.substr(Head(padded).size()), std::string(padded.begin(), padded.begin() + 44));
}

} // namespace
