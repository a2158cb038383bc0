// The capture file's link type (libpcap numbering) as the NDIS medium number a capture adapter reports, and
// back.
#pragma once

#include <cstdint>

namespace packet {

// The medium number for a link type, as an unsigned field (the library's own negative values wrap).
// Link types without a medium of their own report 802.3, like an adapter that shows Ethernet headers.
std::uint32_t NdisMediumForLinkType(std::uint32_t linkType);

// The link type (libpcap numbering) that files of an adapter with this medium carry, as the packet
// library's own capture code chooses it; Ethernet for media it does not know.
std::uint32_t LinkTypeForNdisMedium(std::uint32_t medium);

// A short name for the link type, for adapter descriptions ("Ethernet", "Token Ring", "link type 113").
// Unnamed types are written into the given buffer.
const char* LinkTypeName(std::uint32_t linkType, char* buffer, unsigned bufferSize);

} // namespace packet
