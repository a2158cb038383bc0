// The value rules of the stored preferences: number conversion, raw-byte reads, the start command.
#include "ui/preference_values.h"

#include <cstdio>
#include <limits>

namespace ui {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

uint32_t DecimalToDword(std::string_view text) noexcept {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing once it is past any 32-bit value, so that
    // long digit strings neither overflow nor wrap into a small number.
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) {
        value = std::numeric_limits<int32_t>::max();
    }
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

std::string DwordToDecimal(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(value));
    return text;
}

uint32_t OverlayValueBytes(uint32_t fallback, const unsigned char* data, size_t size) noexcept {
    unsigned char bytes[4] = {static_cast<unsigned char>(fallback), static_cast<unsigned char>(fallback >> 8),
                              static_cast<unsigned char>(fallback >> 16), static_cast<unsigned char>(fallback >> 24)};
    for (size_t i = 0; i < size && i < sizeof bytes && data != nullptr; ++i) {
        bytes[i] = data[i];
    }
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

std::string StartCommand(std::string_view modulePath) {
    std::string command;
    command.reserve(modulePath.size() + 8);
    command += '"';
    command += modulePath;
    command += "\" -tray";
    return command;
}

} // namespace ui
