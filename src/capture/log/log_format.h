// The text of the capture log's records: the record head and the body layouts, CR LF line ends.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

// Local date and time to the millisecond, as the record head shows it.
struct LocalTime {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t millisecond = 0;
};

// Every Append function adds to the end of out and reads exactly the bytes it is given.

// The three head lines: an empty line, "[hh:mm:ss.mmm - dd.mm.yyyy]", then
// "Proto: NAME len: L a.b.c.d:p -> e.f.g.h:q " and an empty line. The head reads the first 24 bytes of
// the datagram (the 20-byte IP header and the two 16-bit words after it); bytes at or beyond captured
// are taken as 0, so a short capture can never be read past its end.
void AppendRecordHead(std::string& out, const LocalTime& time, const uint8_t* datagram, uint32_t captured);

// Lines of "%08x" offset and 16 bytes in lower-case hex; a last partial line keeps a space after every
// byte.
void AppendHexDump(std::string& out, const uint8_t* bytes, uint32_t count);

// As the hex dump, with a space after every byte, padding to 16 columns, and the bytes as characters;
// 0 and 7 to 13 become spaces in the text column, every other byte is written unchanged.
void AppendHexTextDump(std::string& out, const uint8_t* bytes, uint32_t count);

// The bytes unchanged.
void AppendRaw(std::string& out, const uint8_t* bytes, uint32_t count);

// Which part of the datagram a log type dumps, and how.
enum class LogBody { HexText, Raw, Hex, None };
struct LogLayout {
    LogBody body;
    bool payloadOnly;
};
// logtype 0..6; values outside that range are taken as 0.
LogLayout LayoutOfLogType(int32_t logType);

// A whole record: head and body. The datagram is the IP datagram from its first header byte; length is
// its IP total length, captured the bytes of it actually present at datagram (may be more than length,
// for link padding, or fewer, for a short snapshot), headerSize the protocol's fixed header size. The
// whole datagram is its first min(length, captured) bytes; the payload is what of that lies beyond
// headerSize (nothing when headerSize is not below it).
void AppendLogRecord(std::string& out, const LocalTime& time, int32_t logType, const uint8_t* datagram, uint32_t length,
                     uint32_t captured, uint32_t headerSize);

} // namespace capture
