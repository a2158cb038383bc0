// The local address table's record and the rules that read it: the bind choice and the prefix match.
#pragma once

#include <cstddef>

namespace net {

// One IPv4 address of this machine as dotted text, with its subnet mask; 32 bytes.
struct LocalAddress {
    char address[16];
    char mask[16];
};
static_assert(sizeof(LocalAddress) == 32, "LocalAddress is a 32-byte record");

// Copies `text` into a 16-byte field, cut to 15 characters, always zero-terminated.
void SetAddressField(char (&field)[16], const char* text) noexcept;

// The entry a raw socket binds to: the first whose address is neither "127.0.0.1" nor "0.0.0.0",
// else entry 0.
[[nodiscard]] size_t ChooseBindAddress(const LocalAddress* table, int count) noexcept;

// True when `given` is a leading part of `address` (so "10.0.0" matches "10.0.0.7"). A given text longer
// than a dotted quad (15 characters) or a null one matches nothing.
[[nodiscard]] bool AddressStartsWith(const char* address, const char* given) noexcept;

} // namespace net
