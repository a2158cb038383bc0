// IPv4 address text: the classic address parser and the dotted-quad check built on it.
#pragma once

#include <cstdint>

namespace net {

// The value that marks text the parser rejects (also the value of "255.255.255.255").
constexpr uint32_t kAddressNone = 0xffffffffu;

// The IPv4 address that `text` names, in network byte order (first part in the lowest byte), as the
// platform's classic parser reads it: one to four parts separated by dots, each decimal, octal with a
// leading 0 or hexadecimal with 0x; the last part fills the bytes that remain. The text ends at its end
// or at white space. A single blank gives 0. kAddressNone for null or rejected text.
[[nodiscard]] uint32_t ParseAddressText(const char* text) noexcept;

// 0 for a usable dotted quad, else the first rule that fails: 1 null text or leading ".", 2 a character
// other than a digit or ".", 3 not exactly three dots, 4 a trailing ".", 5 rejected by the parser.
// "255.255.255.255" gives 0 although the parser maps it to kAddressNone.
[[nodiscard]] int CheckDottedQuad(const char* text) noexcept;

} // namespace net
