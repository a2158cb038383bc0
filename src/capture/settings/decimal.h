// The unsigned decimal conversion of the settings file: leading white space, an optional sign, digits.
#pragma once

#include <cstdint>

namespace capture {

// Converts like the C library's unsigned long conversion with a 32-bit long: white space is skipped, a '+'
// or '-' may come first, conversion stops at the first non-digit and no digits give 0. A value too large
// for 32 bits gives 0xFFFFFFFF; a '-' negates the value modulo 2^32.
uint32_t ParseUnsignedDecimal(const char* text);

} // namespace capture
