// Walks a dialog's initialisation data record by record, never reading past its end.
#include "framework/dialog_init_data.h"

namespace fw {
namespace {

std::uint32_t ReadLittleEndian(std::span<const std::uint8_t> data, std::size_t offset, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        value |= static_cast<std::uint32_t>(data[offset + i]) << (8 * i);
    }
    return value;
}

} // namespace

std::vector<DialogInitRecord> ParseDialogInitData(std::span<const std::uint8_t> data) {
    std::vector<DialogInitRecord> records;
    std::size_t offset = 0;
    constexpr std::size_t kHeader = 8;
    while (offset + 2 <= data.size()) {
        const auto controlId = static_cast<std::uint16_t>(ReadLittleEndian(data, offset, 2));
        if (controlId == 0 || offset + kHeader > data.size()) {
            break;
        }
        const auto message = static_cast<std::uint16_t>(ReadLittleEndian(data, offset + 2, 2));
        const std::uint32_t length = ReadLittleEndian(data, offset + 4, 4);
        offset += kHeader;
        if (length > data.size() - offset) {
            break;
        }
        const auto bytes = data.subspan(offset, length);
        std::size_t textLength = 0;
        while (textLength < bytes.size() && bytes[textLength] != 0) {
            ++textLength;
        }
        records.push_back(
            {controlId, message, std::string(bytes.begin(), bytes.begin() + static_cast<long>(textLength))});
        offset += length;
    }
    return records;
}

} // namespace fw
