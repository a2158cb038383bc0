// The rules of the Network Interface list: row text, which rows are listed, counter text, item-to-row map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace net {

// How many characters of an interface description the list shows.
constexpr size_t kDescriptionCut = 38;

// The list has room for this many interfaces; rows past it are not listed.
constexpr size_t kMaxListedInterfaces = 256;

// " %s %d %s": the description (zero-terminated within `capacity` bytes, cut to 38 characters), the
// speed in bits per second shifted right by 20 bits, and "Mb".
[[nodiscard]] std::string FormatInterfaceInfo(const unsigned char* description, size_t capacity, uint32_t speed);

// False for the WAN miniports (" WAN "), the isatap tunnels (" isatap.") and anything naming "Loopback".
[[nodiscard]] bool IsListedInterface(const std::string& info) noexcept;

// " %u ": a 32-bit byte counter as the window shows it (it wraps at 4 GiB like the platform's).
[[nodiscard]] std::string FormatOctets(uint32_t octets);

// The table row that list item `item` shows, given the item-to-row map of the `listed` items. Nothing when
// `item` names no listed item or its row is no longer one of the `numEntries` rows the table holds now.
[[nodiscard]] std::optional<size_t> RowOfItem(const int32_t* rowOfItem, size_t listed, int32_t item,
                                              uint32_t numEntries) noexcept;

// What a first start looks at in a listed interface to find the one that carries the machine's traffic.
struct ListedInterface {
    uint32_t ifIndex = 0;
    bool loopback = false;
    uint64_t octets = 0; // received and sent together
};

// The item to select when the user has not chosen one: the interface of the default route; failing that
// the non-loopback interface that has moved the most bytes; a loopback one only when nothing else is
// listed. 0 for an empty list.
[[nodiscard]] int32_t ChooseTrafficInterface(const std::vector<ListedInterface>& listed,
                                             std::optional<uint32_t> defaultRouteIfIndex);

} // namespace net
