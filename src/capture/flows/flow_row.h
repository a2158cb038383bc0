// One row of the traffic list: the flow's key, its counts, and what its rate columns show.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace capture {

// IP protocol numbers (IP header byte 9) that the flow table and the flow export treat apart.
inline constexpr uint8_t kProtocolIcmp = 1;
inline constexpr uint8_t kProtocolTcp = 6;
inline constexpr uint8_t kProtocolUdp = 17;

// Identifies a flow; compared as one block of 16 bytes. Addresses and ports in network byte order.
struct FlowKey {
    uint32_t sourceAddress;      // IP header bytes 12..15
    uint32_t destinationAddress; // IP header bytes 16..19
    uint16_t sourcePort;         // first 16-bit word after the 20-byte IP header
    uint16_t destinationPort;    // second 16-bit word after it
    uint8_t protocol;            // IP header byte 9
    uint8_t zero[3];             // always 0
};
static_assert(sizeof(FlowKey) == 16);
static_assert(offsetof(FlowKey, destinationAddress) == 4 && offsetof(FlowKey, sourcePort) == 8);
static_assert(offsetof(FlowKey, destinationPort) == 10 && offsetof(FlowKey, protocol) == 12);

bool operator==(const FlowKey& left, const FlowKey& right);

// An address or port of a key as a number.
inline uint32_t HostOrder32(uint32_t stored) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&stored);
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}
inline uint16_t HostOrder16(uint16_t stored) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&stored);
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

struct FlowKeyHash {
    std::size_t operator()(const FlowKey& key) const;
};

// Ticks are milliseconds, compared in 32-bit unsigned arithmetic.
struct TrafficRecord {
    FlowKey key;
    uint32_t lastSeen;
    uint32_t firstSeen;
    uint32_t bytes;         // sum of the IP total lengths of the flow's datagrams
    uint32_t bytesAtUpdate; // bytes at the last periodic update
};
static_assert(sizeof(TrafficRecord) == 32);
static_assert(offsetof(TrafficRecord, lastSeen) == 16 && offsetof(TrafficRecord, firstSeen) == 20);
static_assert(offsetof(TrafficRecord, bytes) == 24 && offsetof(TrafficRecord, bytesAtUpdate) == 28);

// A count that the capture thread changes while the list's thread reads it: one aligned word, read and
// written whole.
inline uint32_t LoadCount(const uint32_t& count) {
    return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(count)).load(std::memory_order_relaxed);
}
inline void StoreCount(uint32_t& count, uint32_t value) {
    std::atomic_ref<uint32_t>(count).store(value, std::memory_order_relaxed);
}

struct FlowRow {
    TrafficRecord record; // bytes and lastSeen through LoadCount and StoreCount
    // Capture times (the records' time stamps, microseconds since 1970-01-01 UTC) of the first and the
    // latest datagram; the capture thread's alone, like the listeners that read them.
    uint64_t firstTime = 0;
    uint64_t lastTime = 0;
    uint32_t packets = 0; // datagrams counted (not a column of the list); through LoadCount and StoreCount
    // Set by the periodic update: the interval and rate columns (empty until first set).
    uint32_t interval = 0;
    uint32_t rate = 0;
    bool intervalShown = false;
    bool rateShown = false;
    bool gone = false; // removed from the table; the list still holds it until its next reorder
};
// A million flows cost a million of these: no padding inside.
static_assert(sizeof(FlowRow) == 64);

} // namespace capture
