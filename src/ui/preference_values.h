// The value rules of the stored preferences: number conversion, raw-byte reads, the start command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// The current user's Run key (the program's own key is platform::ProductKeyPath).
constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The decimal conversion of an edit's text: leading white space skipped, an optional sign, then digits
// up to the first other character. Text without digits gives 0. A negative number comes back as its
// 32-bit two's complement. Numbers beyond the 32-bit signed range saturate at INT32_MAX or INT32_MIN.
[[nodiscard]] uint32_t DecimalToDword(std::string_view text) noexcept;

// The "%d" text of a stored number (a stored 0xfffffffb shows as "-5").
[[nodiscard]] std::string DwordToDecimal(uint32_t value);

// What a 4-byte little-endian buffer preset with `fallback` holds after the first `size` bytes of a
// value's data (of any type) have been copied over it. Bytes beyond 4 are never taken.
[[nodiscard]] uint32_t OverlayValueBytes(uint32_t fallback, const unsigned char* data, size_t size) noexcept;

// The run-key entry that starts the program at logon: "\"<path>\" -tray".
[[nodiscard]] std::string StartCommand(std::string_view modulePath);

} // namespace ui
