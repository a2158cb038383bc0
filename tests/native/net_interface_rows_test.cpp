// The Network Interface list's rules: row text, exclusions, counter text and the item-to-row lookup.
#include "net/connection_text.h"
#include "net/interface_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Info(const std::string& description, uint32_t speed) {
    std::vector<unsigned char> bytes(256, 0);
    std::memcpy(bytes.data(), description.data(), std::min<size_t>(description.size(), bytes.size()));
    return net::FormatInterfaceInfo(bytes.data(), bytes.size(), speed);
}

TEST(FormatInterfaceInfo, ShiftsTheSpeedByTwentyBits) {
    EXPECT_EQ(Info("Intel(R) PRO/1000", 1000000000), " Intel(R) PRO/1000 953 Mb");
    EXPECT_EQ(Info("eth0", 100000000), " eth0 95 Mb");
    EXPECT_EQ(Info("eth0", 10000000), " eth0 9 Mb");
    EXPECT_EQ(Info("eth0", 0), " eth0 0 Mb");
    EXPECT_EQ(Info("eth0", 0xffffffffu), " eth0 4095 Mb");
    EXPECT_EQ(Info("", 1048576), "  1 Mb");
}

TEST(FormatInterfaceInfo, CutsTheDescriptionToThirtyEightCharacters) {
    const std::string exact(38, 'd');
    EXPECT_EQ(Info(exact, 0), " " + exact + " 0 Mb");
    EXPECT_EQ(Info(exact + "tail", 0), " " + exact + " 0 Mb");
}

TEST(FormatInterfaceInfo, NeverReadsPastTheDescriptionField) {
    // A field with no terminating zero: only its own bytes are taken.
    const unsigned char field[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(net::FormatInterfaceInfo(field, sizeof field, 0), " abcd 0 Mb");
    EXPECT_EQ(net::FormatInterfaceInfo(nullptr, 0, 0), "  0 Mb");
}

TEST(IsListedInterface, ExcludesWanIsatapAndLoopback) {
    struct Row {
        std::string description;
        bool listed;
    };
    const std::vector<Row> rows = {
        {"WAN Miniport (IP)", false},
        {"WAN", false},             // " WAN 0 Mb": the format's own blank follows the word
        {"WANdisco adapter", true}, // no blank after the word
        {"wan Miniport", true},     // case-sensitive
        {"isatap.{1234}", false},
        {"isatap", true},
        {"Microsoft ISATAP Adapter", true},
        {"Software Loopback Interface 1", false},
        {"MS TCP Loopback interface", false},
        {"loopback adapter", true}, // lower case only
        {"Realtek PCIe GbE Family Controller", true},
        // The exclusion sees only the first 38 characters.
        {std::string(38, 'x') + "Loopback", true},
        {std::string(30, 'x') + "Loopback", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(net::IsListedInterface(Info(row.description, 0)), row.listed) << row.description;
    }
}

TEST(FormatOctets, PrintsUnsignedAndWrapsAtFourGibibytes) {
    EXPECT_EQ(net::FormatOctets(0), " 0 ");
    EXPECT_EQ(net::FormatOctets(2147483647u), " 2147483647 ");
    EXPECT_EQ(net::FormatOctets(2147483648u), " 2147483648 ");
    EXPECT_EQ(net::FormatOctets(0xffffffffu), " 4294967295 ");
    EXPECT_EQ(net::FormatOctets(static_cast<uint32_t>(0x100000000ull + 5)), " 5 ");
}

TEST(RowOfItem, UsesOnlyListedItemsAndRowsStillInTheTable) {
    const int32_t map[net::kMaxListedInterfaces] = {1, 3, 4};
    EXPECT_EQ(net::RowOfItem(map, 3, 0, 5), 1u);
    EXPECT_EQ(net::RowOfItem(map, 3, 2, 5), 4u);
    EXPECT_FALSE(net::RowOfItem(map, 3, 3, 5)); // not a listed item
    EXPECT_FALSE(net::RowOfItem(map, 3, 999, 5));
    EXPECT_FALSE(net::RowOfItem(map, 3, -1, 5)); // nothing selected
    EXPECT_FALSE(net::RowOfItem(map, 0, 0, 5));  // empty list
    EXPECT_FALSE(net::RowOfItem(map, 3, 2, 4));  // the row has gone from the table
    EXPECT_FALSE(net::RowOfItem(map, 3, 0, 0));  // no table
    EXPECT_FALSE(net::RowOfItem(nullptr, 3, 0, 5));
    EXPECT_FALSE(net::RowOfItem(map, 300, 256, 500)); // a count past the map's room is not trusted
}

TEST(ChooseTrafficInterface, PrefersTheDefaultRouteThenTheBusiestThenLoopback) {
    using L = net::ListedInterface;
    const std::vector<L> machine = {{1, true, 9'000'000}, {2, false, 500}, {3, false, 70'000}, {4, false, 70'000}};
    struct Case {
        std::vector<L> listed;
        std::optional<uint32_t> routed;
        int32_t item;
    };
    const Case cases[] = {
        {machine, 2u, 1},                      // the default route's interface, however quiet
        {machine, std::nullopt, 2},            // no route: the busiest that is not loopback, the first of a tie
        {machine, 99u, 2},                     // a route through an interface that is not listed
        {{{1, true, 5}, {7, true, 9}}, {}, 0}, // only loopback: the first item
        {{}, 3u, 0},                           // nothing listed
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::ChooseTrafficInterface(c.listed, c.routed), c.item);
    }
}

TEST(ConnectionText, NamesTheKindsInTheirFixedOrder) {
    EXPECT_EQ(net::ConnectionStatusText(true), " Connected");
    EXPECT_EQ(net::ConnectionStatusText(false), "N/A");
    const struct {
        uint32_t flags;
        const char* kinds;
    } rows[] = {
        {0, ""},
        {net::kConnectionLan, " LAN "},
        {net::kConnectionModem, " Modem "},
        {net::kConnectionOffline, " Offline "},
        {net::kConnectionProxy, " Proxy "},
        {net::kConnectionLan | net::kConnectionProxy, " LAN  Proxy "},
        {net::kConnectionModem | net::kConnectionOffline, " Modem  Offline "},
        {0x3f, " LAN  Modem  Offline  Proxy "}, // every kind, in its fixed order
        {0x40 | 0x10 | 0x08, ""},               // other bits add nothing
        {0xffffffffu, " LAN  Modem  Offline  Proxy "},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(net::ConnectionKindText(row.flags), row.kinds) << std::hex << row.flags;
    }
}

} // namespace
