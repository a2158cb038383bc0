// Whole 32-bit values in little-endian byte order, as the capture files we write and the driver's records
// keep them, whatever the byte order of the machine; and the fields of capture files written by machines of
// either byte order.
#pragma once

#include <cstdint>

namespace packet {

inline std::uint32_t LoadLittleEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void StoreLittleEndian32(std::uint8_t* destination, std::uint32_t value) {
    destination[0] = static_cast<std::uint8_t>(value);
    destination[1] = static_cast<std::uint8_t>(value >> 8);
    destination[2] = static_cast<std::uint8_t>(value >> 16);
    destination[3] = static_cast<std::uint8_t>(value >> 24);
}

inline constexpr std::uint32_t ByteSwapped32(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xff00u) | ((value << 8) & 0xff0000u) | (value << 24);
}

// A field of a capture file: little-endian, or big-endian when swapped (the writer's machine was).
inline std::uint32_t LoadFileField32(const std::uint8_t* bytes, bool swapped) {
    const std::uint32_t value = LoadLittleEndian32(bytes);
    return swapped ? ByteSwapped32(value) : value;
}
inline std::uint16_t LoadFileField16(const std::uint8_t* bytes, bool swapped) {
    return swapped ? static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1])
                   : static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

} // namespace packet
