// IPv4 address text: the classic address parser and the dotted-quad check built on it.
#include "net/dotted_quad.h"

#include <cstring>

namespace net {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads one part at `text`; advances it past the part. False for an empty or malformed part or one that
// does not fit in 32 bits.
bool ReadPart(const char*& text, uint32_t& value) {
    unsigned base = 10;
    const char* p = text;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8; // the leading 0 is itself a digit of the part
    }
    uint64_t total = 0;
    const char* first = p;
    for (;; ++p) {
        int digit = base == 16 ? HexValue(*p) : (IsDigit(*p) ? *p - '0' : -1);
        if (digit < 0) {
            break;
        }
        if (static_cast<unsigned>(digit) >= base) {
            return false;
        }
        total = total * base + static_cast<unsigned>(digit);
        if (total > 0xffffffffu) {
            return false;
        }
    }
    if (p == first) {
        return false; // no digits at all, or "0x" with nothing after it
    }
    value = static_cast<uint32_t>(total);
    text = p;
    return true;
}

} // namespace

uint32_t ParseAddressText(const char* text) noexcept {
    if (text == nullptr) {
        return kAddressNone;
    }
    if (std::strcmp(text, " ") == 0) {
        return 0; // the platform's answer for a single blank: the any-address
    }
    uint32_t parts[4] = {};
    int count = 0;
    const char* p = text;
    for (;;) {
        if (!ReadPart(p, parts[count])) {
            return kAddressNone;
        }
        ++count;
        if (*p != '.') {
            break;
        }
        if (count == 4) {
            return kAddressNone;
        }
        ++p;
    }
    if (*p != '\0' && !IsBlank(*p)) {
        return kAddressNone;
    }
    uint32_t host = 0;
    switch (count) {
    case 1:
        host = parts[0];
        break;
    case 2:
        if (parts[0] > 0xff || parts[1] > 0xffffff) {
            return kAddressNone;
        }
        host = parts[0] << 24 | parts[1];
        break;
    case 3:
        if (parts[0] > 0xff || parts[1] > 0xff || parts[2] > 0xffff) {
            return kAddressNone;
        }
        host = parts[0] << 24 | parts[1] << 16 | parts[2];
        break;
    default:
        if (parts[0] > 0xff || parts[1] > 0xff || parts[2] > 0xff || parts[3] > 0xff) {
            return kAddressNone;
        }
        host = parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3];
        break;
    }
    // Network byte order: the first part goes into the lowest byte of the stored value.
    return (host >> 24) | (host >> 8 & 0xff00u) | (host << 8 & 0xff0000u) | (host << 24);
}

int CheckDottedQuad(const char* text) noexcept {
    if (text == nullptr || text[0] == '.') {
        return 1;
    }
    int dots = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '.') {
            ++dots;
        } else if (!IsDigit(*p)) {
            return 2;
        }
    }
    if (dots != 3) {
        return 3;
    }
    if (text[std::strlen(text) - 1] == '.') {
        return 4;
    }
    if (std::strcmp(text, "255.255.255.255") == 0) {
        return 0;
    }
    if (ParseAddressText(text) == kAddressNone) {
        return 5;
    }
    return 0;
}

} // namespace net
