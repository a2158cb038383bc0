// The stored preferences' value rules: decimal conversion, raw-byte numbers, the start command.
#include "ui/preference_values.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(DecimalToDword, ConvertsLikeTheEditTextRule) {
    struct Row {
        const char* text;
        uint32_t stored;
    };
    const Row rows[] = {
        {"12", 12},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {"-5", 0xfffffffbu},
        {"+7", 7},
        {"   42", 42},
        {"\t\r\n 9", 9},
        {"12abc", 12},
        {"1 2", 1},
        {" - 5", 0},
        {"--5", 0},
        {"007", 7},
        {"0x10", 0},
        {"2147483647", 0x7fffffffu},
        {"-2147483648", 0x80000000u},
        // Beyond the 32-bit signed range the value saturates rather than wrapping into a small number.
        {"2147483648", 0x7fffffffu},
        {"99999999999999999999999", 0x7fffffffu},
        {"-2147483649", 0x80000000u},
        {"-99999999999999999999999", 0x80000000u},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ui::DecimalToDword(row.text), row.stored) << '"' << row.text << '"';
    }
}

TEST(DwordToDecimal, ShowsStoredNumbersAsSigned) {
    EXPECT_EQ(ui::DwordToDecimal(12), "12");
    EXPECT_EQ(ui::DwordToDecimal(0), "0");
    EXPECT_EQ(ui::DwordToDecimal(0xfffffffbu), "-5");
    EXPECT_EQ(ui::DwordToDecimal(0xffffffffu), "-1");
    EXPECT_EQ(ui::DwordToDecimal(16961), "16961");
}

TEST(OverlayValueBytes, TakesUpToFourBytesOfAnyTypeOverTheDefault) {
    const unsigned char dword[4] = {0x05, 0x00, 0x00, 0x00};
    EXPECT_EQ(ui::OverlayValueBytes(12, dword, 4), 5u);
    // "AB" stored as a string: 'A', 'B' and its terminating zero over the default 12's bytes.
    const unsigned char ab[3] = {'A', 'B', 0};
    EXPECT_EQ(ui::OverlayValueBytes(12, ab, 3), 16961u);
    // A one-byte binary value keeps the default's upper bytes.
    const unsigned char one[1] = {0xff};
    EXPECT_EQ(ui::OverlayValueBytes(0x12345678u, one, 1), 0x123456ffu);
    EXPECT_EQ(ui::OverlayValueBytes(7, nullptr, 0), 7u);
    const unsigned char many[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(ui::OverlayValueBytes(0, many, 6), 0x04030201u);
}

TEST(StartCommand, QuotesThePathAndAddsTheTraySwitch) {
    EXPECT_EQ(ui::StartCommand("C:\\Program Files\\Brisklane\\Brisklane.exe"),
              "\"C:\\Program Files\\Brisklane\\Brisklane.exe\" -tray");
    const std::string longPath = "C:\\" + std::string(300, 'x') + "\\Brisklane.exe";
    EXPECT_EQ(ui::StartCommand(longPath), "\"" + longPath + "\" -tray");
}

} // namespace
