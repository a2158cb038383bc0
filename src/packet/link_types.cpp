// The capture file's link type (libpcap numbering) as the NDIS medium number a capture adapter reports, and
// back.
#include "packet/link_types.h"

#include <cstdio>

namespace packet {

namespace {

struct LinkTypeEntry {
    std::uint32_t linkType;
    std::int32_t medium;
    const char* name;
};

// Link types of libpcap on the left; NDIS medium numbers, and the library's negative additions, on the right.
constexpr LinkTypeEntry kLinkTypes[] = {
    {0, -1, "BSD loopback"},       // null: 4-byte address family before the packet
    {1, 0, "Ethernet"},            // 802.3
    {6, 1, "Token Ring"},          // 802.5
    {7, 6, "ARCNET"},              // ARCNET raw
    {9, -3, "PPP"},                // PPP serial
    {10, 2, "FDDI"},               // FDDI
    {11, 8, "ATM"},                // RFC 1483 LLC/SNAP over ATM
    {50, -3, "PPP serial"},        // PPP in HDLC framing
    {101, 19, "raw IP"},           // IP
    {104, -2, "Cisco HDLC"},       // Cisco HDLC
    {105, -4, "802.11"},           // bare 802.11
    {108, -1, "OpenBSD loopback"}, // null
    {127, -5, "802.11 radiotap"},  // 802.11 with radio header
    {192, -6, "PPI"},              // per-packet information header
    {228, 19, "raw IPv4"},         // IP
};

} // namespace

std::uint32_t NdisMediumForLinkType(std::uint32_t linkType) {
    for (const LinkTypeEntry& entry : kLinkTypes) {
        if (entry.linkType == linkType) {
            return static_cast<std::uint32_t>(entry.medium);
        }
    }
    return 0;
}

std::uint32_t LinkTypeForNdisMedium(std::uint32_t medium) {
    switch (static_cast<std::int32_t>(medium)) {
    case 1:
        return 6; // 802.5 Token Ring
    case 2:
        return 10; // FDDI
    case 6:
        return 7; // ARCNET raw
    case 8:
        return 11; // ATM
    case 19:
        return 101; // raw IP
    case -1:
        return 0; // null: BSD loopback
    case -2:
        return 104; // Cisco HDLC
    case -3:
        return 50; // PPP serial
    case -4:
        return 105; // 802.11
    case -5:
        return 127; // 802.11 radiotap
    case -6:
        return 192; // PPI
    default:
        return 1; // 802.3, WAN (shown as Ethernet) and anything else
    }
}

const char* LinkTypeName(std::uint32_t linkType, char* buffer, unsigned bufferSize) {
    for (const LinkTypeEntry& entry : kLinkTypes) {
        if (entry.linkType == linkType) {
            return entry.name;
        }
    }
    std::snprintf(buffer, bufferSize, "link type %u", static_cast<unsigned>(linkType));
    return buffer;
}

} // namespace packet
