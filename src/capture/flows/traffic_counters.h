// The capture's shared counters and flags: written by the capture thread, reset by start and stop, read by
// the host. Each is one aligned 32-bit value; atomics make the unlocked sharing well defined.
#pragma once

#include <atomic>
#include <cstdint>

// Datagrams counted since capture started (wraps at 2^32).
extern std::atomic<uint32_t> packetCount;
// Payload bytes counted since capture started: IP total length minus the protocol's fixed header size.
extern std::atomic<uint32_t> totalBytes;
// totalBytes at the previous periodic update.
extern std::atomic<uint32_t> previousTotal;
// Payload bytes counted between the last two periodic updates.
extern std::atomic<uint32_t> intervalBytes;
// Payload bytes per second since capture started, as of the last periodic update.
extern std::atomic<uint32_t> averageRate;
// Set by the host to have the capture thread run the periodic update, which clears it.
extern std::atomic<int32_t> updateDue;
// Millisecond tick at which the current capture started.
extern std::atomic<uint32_t> captureStartTick;
