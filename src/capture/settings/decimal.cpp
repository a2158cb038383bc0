// Unsigned decimal conversion with the 32-bit saturation and negation rules of the platform's conversion.
#include "capture/settings/decimal.h"

namespace capture {

namespace {

bool IsConversionSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

uint32_t ParseUnsignedDecimal(const char* text) {
    const char* p = text;
    while (IsConversionSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<uint64_t>(*p - '0');
        if (value > UINT32_MAX) {
            overflow = true;
            value = UINT32_MAX; // keeps the accumulator bounded for arbitrarily long digit runs
        }
    }
    if (overflow) {
        return UINT32_MAX;
    }
    const auto result = static_cast<uint32_t>(value);
    return negative ? 0u - result : result;
}

} // namespace capture
