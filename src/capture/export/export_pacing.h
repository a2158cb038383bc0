// How fast flow records leave for the collector: a burst the collector's socket buffer absorbs, then a
// steady rate it keeps up with, so that a burst of flows ending together (the end of a capture) arrives
// whole instead of overflowing the buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace capture {

// A token bucket in the form of a theoretical arrival time: messages go at most at messagesPerSecond on
// average, with up to burstMessages at once after a quiet spell.
class ExportPacing {
public:
    // Measured against nfcapd 1.7.1 with its default socket buffer (on Linux 212,992 bytes, which hold 92
    // datagrams of any size up to 1,400 bytes) on loopback, on this project's 2-core machines, with the
    // console under Wine sending the large capture's 344 full messages (as many as there were before short
    // flows' counts were narrowed). While others worked on the machine: at 10 a millisecond after a burst of
    // 48, every record arrived in 54 runs of 54; at 12, 2 runs of 30 lost some; with a burst of 64, or at 14
    // or 16, a quarter to a third of the runs did. On a quiet machine at 12 and at 14 some runs of 30 still
    // lost records, and at 10 after a burst of 48 one run of 40 did; after a burst of 32, none of 60. At 20,
    // with 297 messages, 2 runs of 30 lost records. Natively, nfcapd takes 40 a millisecond without loss: it
    // is the moments it is not scheduled, while Wine's threads and server keep both processors busy, that
    // the buffer must cover.
    static constexpr uint32_t kMessagesPerSecond = 10'000;
    static constexpr uint32_t kBurstMessages = 32;

    explicit ExportPacing(uint32_t messagesPerSecond = kMessagesPerSecond, uint32_t burstMessages = kBurstMessages);

    // Nanoseconds to wait from now (a steady clock, in nanoseconds) before the next message may go; 0: at once.
    uint64_t WaitBeforeNext(uint64_t now) const;
    // A message went at now.
    void Sent(uint64_t now);
    // Nanoseconds that sending this many messages takes at the steady rate, from an empty bucket.
    uint64_t DurationOf(std::size_t messages) const;

private:
    uint64_t m_interval;  // nanoseconds between messages at the steady rate
    uint64_t m_tolerance; // how far ahead of the steady rate a burst may run
    uint64_t m_due = 0;   // when the next message would be due at the steady rate
};

} // namespace capture
