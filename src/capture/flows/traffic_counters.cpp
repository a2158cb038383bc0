// The capture's shared counters and flags.
#include "capture/flows/traffic_counters.h"

std::atomic<uint32_t> packetCount{0};
std::atomic<uint32_t> totalBytes{0};
std::atomic<uint32_t> previousTotal{0};
std::atomic<uint32_t> intervalBytes{0};
std::atomic<uint32_t> averageRate{0};
std::atomic<int32_t> updateDue{0};
std::atomic<uint32_t> captureStartTick{0};
