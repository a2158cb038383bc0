// Record formatting for the capture log, written by hand rather than through printf: the log writer runs
// on the capture thread for every datagram and must keep up with the traffic.
#include "capture/log/log_format.h"

#include "capture/log/protocol_names.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace capture {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The text column's view of a byte: NUL and the escapes \a \b \t \n \v \f \r show as spaces.
constexpr std::array<char, 256> MakeTextColumn() {
    std::array<char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[static_cast<std::size_t>(i)] = (i == 0 || (i >= 7 && i <= 13)) ? ' ' : static_cast<char>(i);
    }
    return table;
}
constexpr std::array<char, 256> kTextColumn = MakeTextColumn();

// Two hex digits and a space per byte.
constexpr std::array<std::array<char, 3>, 256> MakeHexCells() {
    std::array<std::array<char, 3>, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[static_cast<std::size_t>(i)] = {kHexDigits[i >> 4], kHexDigits[i & 15], ' '};
    }
    return table;
}
constexpr std::array<std::array<char, 3>, 256> kHexCells = MakeHexCells();

// Bytes per line: "%08x " (9), 16 cells of 3, the text column (16 wide), CR LF. The hex-only full line
// drops the space after its last byte.
constexpr std::size_t kOffsetWidth = 9;
constexpr std::size_t kHexLine = kOffsetWidth + 16 * 3 - 1 + 2;
constexpr std::size_t kHexTextLine = kOffsetWidth + 16 * 3 + 16 + 2;

char* PutOffset(char* p, uint32_t offset) {
    for (int shift = 28; shift >= 0; shift -= 4) {
        *p++ = kHexDigits[(offset >> shift) & 15];
    }
    *p++ = ' ';
    return p;
}

char* PutHexCells(char* p, const uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(p, kHexCells[bytes[i]].data(), 3);
        p += 3;
    }
    return p;
}

char* PutText(char* p, const uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        *p++ = kTextColumn[bytes[i]];
    }
    return p;
}

char* PutLineEnd(char* p) {
    p[0] = '\r';
    p[1] = '\n';
    return p + 2;
}

// Makes room for size more characters at the end of out and returns where they start.
char* Grow(std::string& out, std::size_t size) {
    const std::size_t used = out.size();
    out.resize(used + size);
    return out.data() + used;
}

// printf "%d" and "%0Nd" for any 32-bit value.
char* PutDecimal(char* p, int64_t value, int width = 0) {
    if (value < 0) {
        *p++ = '-';
        value = -value;
        width = width > 0 ? width - 1 : 0;
    }
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i) {
        *p++ = '0';
    }
    while (count > 0) {
        *p++ = digits[--count];
    }
    return p;
}

char* PutLiteral(char* p, const char* text) {
    const std::size_t length = std::strlen(text);
    std::memcpy(p, text, length);
    return p + length;
}

} // namespace

void AppendRecordHead(std::string& out, const LocalTime& time, const uint8_t* datagram, uint32_t captured) {
    uint8_t head[24] = {};
    if (captured != 0) {
        std::memcpy(head, datagram, std::min<std::size_t>(captured, sizeof head));
    }

    // Seven clock values of at most 11 characters, a 19-character name, two addresses, three 16-bit
    // numbers and the fixed text stay well below this.
    char text[256];
    char* p = text;
    p = PutLiteral(p, "\r\n[");
    p = PutDecimal(p, time.hour, 2);
    *p++ = ':';
    p = PutDecimal(p, time.minute, 2);
    *p++ = ':';
    p = PutDecimal(p, time.second, 2);
    *p++ = '.';
    p = PutDecimal(p, time.millisecond, 3);
    p = PutLiteral(p, " - ");
    p = PutDecimal(p, time.day, 2);
    *p++ = '.';
    p = PutDecimal(p, time.month, 2);
    *p++ = '.';
    p = PutDecimal(p, time.year);
    p = PutLiteral(p, "]\r\nProto: ");
    const char* name = protocolNames[head[9]];
    const std::size_t nameLength = strnlen(name, kProtocolNameSize);
    std::memcpy(p, name, nameLength);
    p += nameLength;
    p = PutLiteral(p, " len: ");
    p = PutDecimal(p, (head[2] << 8) | head[3]);
    *p++ = ' ';
    for (int i = 12; i < 16; ++i) {
        p = PutDecimal(p, head[i]);
        *p++ = i < 15 ? '.' : ':';
    }
    p = PutDecimal(p, (head[20] << 8) | head[21]);
    p = PutLiteral(p, " -> ");
    for (int i = 16; i < 20; ++i) {
        p = PutDecimal(p, head[i]);
        *p++ = i < 19 ? '.' : ':';
    }
    p = PutDecimal(p, (head[22] << 8) | head[23]);
    p = PutLiteral(p, " \r\n\r\n");
    out.append(text, static_cast<std::size_t>(p - text));
}

void AppendHexDump(std::string& out, const uint8_t* bytes, uint32_t count) {
    const std::size_t fullLines = count / 16;
    const std::size_t rest = count % 16;
    const std::size_t size = fullLines * kHexLine + (rest != 0 ? kOffsetWidth + rest * 3 + 2 : 0);
    char* p = Grow(out, size);
    uint32_t offset = 0;
    for (std::size_t line = 0; line < fullLines; ++line, offset += 16) {
        p = PutOffset(p, offset);
        p = PutHexCells(p, bytes + offset, 16);
        p = PutLineEnd(p - 1); // no space after the last byte of a full line
    }
    if (rest != 0) {
        p = PutOffset(p, offset);
        p = PutHexCells(p, bytes + offset, rest);
        p = PutLineEnd(p);
    }
}

void AppendHexTextDump(std::string& out, const uint8_t* bytes, uint32_t count) {
    const std::size_t fullLines = count / 16;
    const std::size_t rest = count % 16;
    const std::size_t size = fullLines * kHexTextLine + (rest != 0 ? kOffsetWidth + 16 * 3 + rest + 2 : 0);
    char* p = Grow(out, size);
    uint32_t offset = 0;
    for (std::size_t line = 0; line < fullLines; ++line, offset += 16) {
        p = PutOffset(p, offset);
        p = PutHexCells(p, bytes + offset, 16);
        p = PutText(p, bytes + offset, 16);
        p = PutLineEnd(p);
    }
    if (rest != 0) {
        p = PutOffset(p, offset);
        p = PutHexCells(p, bytes + offset, rest);
        const std::size_t padding = (16 - rest) * 3;
        std::memset(p, ' ', padding);
        p += padding;
        p = PutText(p, bytes + offset, rest);
        p = PutLineEnd(p);
    }
}

void AppendRaw(std::string& out, const uint8_t* bytes, uint32_t count) {
    if (count != 0) {
        out.append(reinterpret_cast<const char*>(bytes), count);
    }
}

LogLayout LayoutOfLogType(int32_t logType) {
    switch (logType) {
    case 1:
        return {LogBody::Raw, false};
    case 2:
        return {LogBody::Hex, false};
    case 3:
        return {LogBody::HexText, true};
    case 4:
        return {LogBody::Raw, true};
    case 5:
        return {LogBody::Hex, true};
    case 6:
        return {LogBody::None, false};
    default:
        return {LogBody::HexText, false};
    }
}

void AppendLogRecord(std::string& out, const LocalTime& time, int32_t logType, const uint8_t* datagram, uint32_t length,
                     uint32_t captured, uint32_t headerSize) {
    AppendRecordHead(out, time, datagram, captured);
    const LogLayout layout = LayoutOfLogType(logType);
    const uint32_t whole = std::min(length, captured);
    const uint8_t* bytes = datagram;
    uint32_t count = whole;
    if (layout.payloadOnly) {
        const uint32_t skipped = std::min(headerSize, whole);
        bytes += skipped;
        count -= skipped;
    }
    switch (layout.body) {
    case LogBody::HexText:
        AppendHexTextDump(out, bytes, count);
        break;
    case LogBody::Raw:
        AppendRaw(out, bytes, count);
        break;
    case LogBody::Hex:
        AppendHexDump(out, bytes, count);
        break;
    case LogBody::None:
        break;
    }
}

} // namespace capture
