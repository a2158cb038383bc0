// The traffic of a capture per second of capture time: datagrams and bytes binned by the second of each
// record's time stamp, counted as the flow table counts them. The graph draws it; the series file lists it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "capture/flows/flow_table.h"

namespace capture {

inline constexpr uint64_t kMicrosecondsPerSecond = 1000000;

// What one second, or a span of seconds, counted. Bytes are IP total lengths, as the rows count them.
struct SecondCounts {
    uint64_t datagrams = 0;
    uint64_t bytes = 0;
    bool operator==(const SecondCounts&) const = default;
};

// Fed on the capture thread as a listener of the flow table; read on any other thread while it is fed. The
// capture thread takes the lock only when the capture reaches a block of seconds it has not seen before
// (once a minute of capture time, or at a time stamp out of order); every count is one atomic word that only
// the capture thread writes. Blocks are kept until Reset, so a series grows by about 13 bytes for each second
// that saw traffic and never moves what a reader holds.
class TrafficSeries final : public FlowListener {
public:
    TrafficSeries();
    ~TrafficSeries() override;
    TrafficSeries(const TrafficSeries&) = delete;
    TrafficSeries& operator=(const TrafficSeries&) = delete;

    void OnCounted(const FlowRow& row, uint32_t length, uint64_t captureTime) override;
    void OnFlowEnded(const FlowRow&, FlowEnd) override {}

    // Forgets every count. Only while nothing feeds the series and no other thread reads it.
    void Reset();

    // ---- Readers ----

    // No datagram counted yet; the times below are then 0.
    bool Empty() const { return m_total.datagrams.load(std::memory_order_acquire) == 0; }
    // The earliest and latest capture times counted (microseconds since 1970-01-01 UTC), and their seconds.
    uint64_t EarliestTime() const { return m_earliest.load(std::memory_order_relaxed); }
    uint64_t LatestTime() const { return m_latest.load(std::memory_order_relaxed); }
    uint64_t FirstSecond() const { return EarliestTime() / kMicrosecondsPerSecond; }
    uint64_t LastSecond() const { return LatestTime() / kMicrosecondsPerSecond; }
    // Everything counted, and the most that one second counted.
    SecondCounts Total() const;
    SecondCounts Peak() const;

    // The counts of one second.
    SecondCounts At(uint64_t second) const;
    // The counts of `columns` consecutive spans of `secondsPerColumn` seconds (at least 1) from `from`.
    std::vector<SecondCounts> SumColumns(uint64_t from, uint64_t secondsPerColumn, std::size_t columns) const;
    // Calls visit for every second from FirstSecond to LastSecond, in order, empty seconds included, as they
    // stand when the call begins; stops early when visit returns false (and then returns false).
    bool ForEachSecond(const std::function<bool(uint64_t second, const SecondCounts& counts)>& visit) const;

private:
    static constexpr uint64_t kBlockSeconds = 64;
    struct Block {
        std::atomic<uint32_t> datagrams[kBlockSeconds]{};
        std::atomic<uint64_t> bytes[kBlockSeconds]{};
    };
    struct Counts {
        std::atomic<uint64_t> datagrams{0};
        std::atomic<uint64_t> bytes{0};
    };
    using BlockList = std::vector<std::pair<uint64_t, const Block*>>;

    Block& BlockAt(uint64_t index);
    // Makes the slot of the given second the one at hand.
    void MoveToSecond(uint64_t second);
    // The blocks that hold seconds of [from, to), in order.
    BlockList BlocksBetween(uint64_t from, uint64_t to) const;

    mutable std::mutex m_lock;                           // guards the structure of m_blocks
    std::map<uint64_t, std::unique_ptr<Block>> m_blocks; // by second / kBlockSeconds
    // The capture thread's: the counts of the second of its last datagram, which the next one most often
    // shares, and that second's first microsecond.
    std::atomic<uint32_t>* m_slotDatagrams = nullptr;
    std::atomic<uint64_t>* m_slotBytes = nullptr;
    uint64_t m_slotStart = 0;
    std::atomic<uint64_t> m_earliest{0};
    std::atomic<uint64_t> m_latest{0};
    Counts m_total;
    Counts m_peak;
};

} // namespace capture
