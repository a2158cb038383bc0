// The walk over a dialog's initialisation data: whole records, the end marker, and data cut short.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/dialog_init_data.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendRecord(Bytes& data, std::uint16_t id, std::uint16_t message, const std::string& payload) {
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (std::uint32_t value : {std::uint32_t{id}, std::uint32_t{message}}) {
        data.push_back(static_cast<std::uint8_t>(value & 0xFF));
        data.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    for (int shift = 0; shift < 32; shift += 8) {
        data.push_back(static_cast<std::uint8_t>(length >> shift));
    }
    data.insert(data.end(), payload.begin(), payload.end());
}

Bytes MainDialogData() {
    Bytes data;
    AppendRecord(data, 1006, 0x0403, std::string("Minutes\0", 8));
    AppendRecord(data, 1006, 0x0403, std::string("Hours\0", 6));
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::vector<std::string> Texts(const std::vector<fw::DialogInitRecord>& records) {
    std::vector<std::string> texts;
    for (const auto& record : records) {
        texts.push_back(std::to_string(record.controlId) + "/" + std::to_string(record.message) + "/" + record.text);
    }
    return texts;
}

TEST(DialogInitDataTest, ReadsRecordsInOrderUpToTheEndMarker) {
    Bytes data = MainDialogData();
    AppendRecord(data, 7, 0x0403, std::string("after the end\0", 14));
    EXPECT_EQ(Texts(fw::ParseDialogInitData(data)), (std::vector<std::string>{"1006/1027/Minutes", "1006/1027/Hours"}));
}

TEST(DialogInitDataTest, EdgeCases) {
    const Bytes whole = MainDialogData();
    struct Case {
        const char* name;
        Bytes data;
        std::vector<std::string> expected;
    };
    Bytes noTerminator;
    AppendRecord(noTerminator, 5, 0x0401, "abc"); // no zero byte in the data, no end marker
    Bytes embeddedZero;
    AppendRecord(embeddedZero, 5, 0x0401, std::string("ab\0cd", 5));
    Bytes lengthTooLarge = whole;
    lengthTooLarge[4] = 0xFF; // first record claims more bytes than there are
    Bytes emptyPayload;
    AppendRecord(emptyPayload, 9, 0x0403, "");
    const Case cases[] = {
        {"empty", {}, {}},
        {"only the end marker", {0, 0}, {}},
        {"one stray byte", {1}, {}},
        {"header cut short", Bytes(whole.begin(), whole.begin() + 6), {}},
        {"second record cut short", Bytes(whole.begin(), whole.begin() + 20), {"1006/1027/Minutes"}},
        {"no terminator anywhere", noTerminator, {"5/1025/abc"}},
        {"text ends at the first zero", embeddedZero, {"5/1025/ab"}},
        {"length beyond the data", lengthTooLarge, {}},
        {"empty payload", emptyPayload, {"9/1027/"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Texts(fw::ParseDialogInitData(c.data)), c.expected) << c.name;
    }
}

} // namespace
