// The counts a live capture's writer reports about itself: what the kernel handed to it and what the kernel
// dropped, as tcpdump writes them to its standard error (at the end, and whenever it gets SIGUSR1).
#pragma once

#include <cstdint>
#include <string_view>

namespace packet {

struct DropReport {
    uint64_t receivedByFilter = 0; // "N packets received by filter"
    uint64_t droppedByKernel = 0;  // "N packets dropped by kernel"
};

// The latest whole report in text: the last "N packets dropped by kernel", with the "received by filter"
// count before it when there is one, written a count a line or all on one line. False when text holds none
// yet.
[[nodiscard]] bool ParseLatestDropReport(std::string_view text, DropReport& report);

} // namespace packet
