// One receive of the capture thread: the records of the receive buffer walked into the flow table.
#pragma once

#include <cstdint>

#include "capture/engine/record_walk.h"
#include "capture/flows/flow_table.h"

namespace capture {

// The link header before the IP header for an adapter's NDIS medium: 22 for 802.5 Token Ring (medium 1),
// 14 for every other medium.
constexpr uint32_t LinkHeaderLengthForMedium(uint32_t medium) {
    return medium == 1 ? kTokenRingHeaderBytes : kEthernetHeaderBytes;
}

// What became of the records of one receive: the walk's figures, and the table's answer for each datagram
// handed on (walk.datagrams is the sum of the four).
struct PassFigures {
    RecordWalk walk;
    uint32_t counted = 0;
    uint32_t tooShort = 0; // too short for the table (the walk hands on none)
    uint32_t filteredOut = 0;
    uint32_t headerNotBelowLength = 0;
};

// Hands every plain IPv4 datagram of the received records to the table.
PassFigures PassReceivedRecords(const uint8_t* buffer, uint32_t received, uint32_t linkHeaderLength, FlowTable& table);

} // namespace capture
