// The address parser and the dotted-quad check, rule by rule.
#include "net/dotted_quad.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckDottedQuad, FirstFailingRuleDecides) {
    struct Row {
        const char* text;
        int code;
    };
    const Row rows[] = {
        {nullptr, 1},
        {".", 1},
        {".1.2.3", 1},
        {".a", 1}, // the leading dot decides before the letter
        {"1.2.3.a", 2},
        {"a", 2},
        {"1.2.3.4 ", 2},
        {"-1.2.3.4", 2},
        {"1.2.3.4.5a", 2}, // the letter decides before the count of dots
        {"", 3},
        {"1.2.3", 3},
        {"1234", 3},
        {"1.2.3.4.5", 3},
        {"1.2.3.", 4},
        {"1..2.", 4},
        {"255.255.255.255", 0},
        {"256.1.1.1", 5},
        {"1.2.3.256", 5},
        {"1..2.3", 5},
        {"08.1.1.1", 5}, // a leading zero means octal, where 8 is no digit
        {"1.2.3.4", 0},
        {"0.0.0.0", 0},
        {"127.0.0.1", 0},
        {"010.0.0.1", 0},
        {"255.255.255.254", 0},
        {"4294967296.0.0.1", 5},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(net::CheckDottedQuad(row.text), row.code) << (row.text ? row.text : "(null)");
    }
}

// Network byte order: the first part of the text is the lowest byte of the value.
constexpr uint32_t Address(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return a | b << 8 | c << 16 | d << 24;
}

TEST(ParseAddressText, ReadsTheClassicForms) {
    struct Row {
        const char* text;
        uint32_t value;
    };
    const Row rows[] = {
        {"1.2.3.4", Address(1, 2, 3, 4)},
        {"127.0.0.1", Address(127, 0, 0, 1)},
        {"010.0.0.1", Address(8, 0, 0, 1)},
        {"0x7f.0.0.1", Address(127, 0, 0, 1)},
        {"0X7F.1.0XFF.0", Address(127, 1, 255, 0)},
        {"1.2.3", Address(1, 2, 0, 3)},
        {"1.2.300", Address(1, 2, 1, 44)},
        {"1.65536", Address(1, 1, 0, 0)},
        {"16909060", Address(1, 2, 3, 4)},
        {"0", 0},
        {"1.2.3.4 trailing", Address(1, 2, 3, 4)},
        {"1.2.3.4\tx", Address(1, 2, 3, 4)},
        {" ", 0},
        {"  ", net::kAddressNone},
        {"255.255.255.255", net::kAddressNone},
        {nullptr, net::kAddressNone},
        {"", net::kAddressNone},
        {"1.2.3.4.5", net::kAddressNone},
        {"1..2.3", net::kAddressNone},
        {"1.2.3.", net::kAddressNone},
        {"256.1.1.1", net::kAddressNone},
        {"1.2.65536", net::kAddressNone},
        {"1.16777216", net::kAddressNone},
        {"4294967296", net::kAddressNone},
        {"09.1.1.1", net::kAddressNone},
        {"1.2.3.4x", net::kAddressNone},
        {"a.b.c.d", net::kAddressNone},
        {"0x.1.1.1", net::kAddressNone},
        {"00.1.1.1", Address(0, 1, 1, 1)},
        {" 1.2.3.4", net::kAddressNone},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(net::ParseAddressText(row.text), row.value) << (row.text ? row.text : "(null)");
    }
}

} // namespace
