// Reads a dialog's initialisation data: records of (control id, message, text) that fill list and combo boxes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace fw {

struct DialogInitRecord {
    std::uint16_t controlId = 0;
    std::uint16_t message = 0; // as stored: 0x0401 adds to a list box, 0x0403 to a combo box
    std::string text;          // up to the first zero byte of the record's data
};

// Message numbers stored in the data.
inline constexpr std::uint16_t kDialogInitListAdd = 0x0401;
inline constexpr std::uint16_t kDialogInitComboAdd = 0x0403;

// Records in order: WORD id, WORD message, DWORD byte count, that many bytes; a zero id ends the list.
// A record that does not fit the data ends the walk; what came before it is kept.
std::vector<DialogInitRecord> ParseDialogInitData(std::span<const std::uint8_t> data);

} // namespace fw
