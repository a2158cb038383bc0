// The traffic of a capture per second of capture time.
#include "capture/series/traffic_series.h"

#include <algorithm>

namespace capture {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// Adds to a count that only this thread writes.
template <class T>
T Add(std::atomic<T>& count, T amount) {
    const T value = static_cast<T>(count.load(kRelaxed) + amount);
    count.store(value, kRelaxed);
    return value;
}

void Raise(std::atomic<uint64_t>& most, uint64_t value) {
    if (value > most.load(kRelaxed)) {
        most.store(value, kRelaxed);
    }
}

} // namespace

TrafficSeries::TrafficSeries() = default;

TrafficSeries::~TrafficSeries() = default;

void TrafficSeries::OnCounted(const FlowRow&, uint32_t length, uint64_t captureTime) {
    // Unsigned: a time before the slot's second is far beyond it too.
    if (m_slotDatagrams == nullptr || captureTime - m_slotStart >= kMicrosecondsPerSecond) {
        MoveToSecond(captureTime / kMicrosecondsPerSecond);
    }
    Raise(m_peak.datagrams, Add(*m_slotDatagrams, uint32_t{1}));
    Raise(m_peak.bytes, Add(*m_slotBytes, uint64_t{length}));
    const bool first = m_total.datagrams.load(kRelaxed) == 0;
    if (first || captureTime < m_earliest.load(kRelaxed)) {
        m_earliest.store(captureTime, kRelaxed);
    }
    if (first || captureTime > m_latest.load(kRelaxed)) {
        m_latest.store(captureTime, kRelaxed);
    }
    (void)Add(m_total.bytes, uint64_t{length});
    // Published last: a reader that sees a datagram counted sees its time and its second's counts too.
    m_total.datagrams.store(m_total.datagrams.load(kRelaxed) + 1, std::memory_order_release);
}

void TrafficSeries::MoveToSecond(uint64_t second) {
    Block& block = BlockAt(second / kBlockSeconds);
    const auto slot = static_cast<std::size_t>(second % kBlockSeconds);
    m_slotDatagrams = &block.datagrams[slot];
    m_slotBytes = &block.bytes[slot];
    m_slotStart = second * kMicrosecondsPerSecond;
}

TrafficSeries::Block& TrafficSeries::BlockAt(uint64_t index) {
    // Only this thread changes the map, so it may look without the lock; readers walk it under the lock.
    const auto found = m_blocks.find(index);
    if (found != m_blocks.end()) {
        return *found->second;
    }
    auto block = std::make_unique<Block>();
    Block& added = *block;
    const std::lock_guard lock(m_lock);
    m_blocks.emplace(index, std::move(block));
    return added;
}

void TrafficSeries::Reset() {
    const std::lock_guard lock(m_lock);
    m_blocks.clear();
    m_slotDatagrams = nullptr;
    m_slotBytes = nullptr;
    m_slotStart = 0;
    m_earliest.store(0, kRelaxed);
    m_latest.store(0, kRelaxed);
    for (Counts* counts : {&m_total, &m_peak}) {
        counts->datagrams.store(0, kRelaxed);
        counts->bytes.store(0, kRelaxed);
    }
}

SecondCounts TrafficSeries::Total() const {
    const uint64_t datagrams = m_total.datagrams.load(std::memory_order_acquire);
    return {datagrams, m_total.bytes.load(kRelaxed)};
}

SecondCounts TrafficSeries::Peak() const {
    return {m_peak.datagrams.load(kRelaxed), m_peak.bytes.load(kRelaxed)};
}

TrafficSeries::BlockList TrafficSeries::BlocksBetween(uint64_t from, uint64_t to) const {
    BlockList blocks;
    if (to <= from) {
        return blocks;
    }
    const std::lock_guard lock(m_lock);
    const auto end = m_blocks.lower_bound((to - 1) / kBlockSeconds + 1);
    for (auto block = m_blocks.lower_bound(from / kBlockSeconds); block != end; ++block) {
        blocks.emplace_back(block->first, block->second.get());
    }
    return blocks;
}

SecondCounts TrafficSeries::At(uint64_t second) const {
    const BlockList blocks = BlocksBetween(second, second + 1);
    if (blocks.empty()) {
        return {};
    }
    const auto slot = static_cast<std::size_t>(second % kBlockSeconds);
    return {blocks.front().second->datagrams[slot].load(kRelaxed), blocks.front().second->bytes[slot].load(kRelaxed)};
}

std::vector<SecondCounts> TrafficSeries::SumColumns(uint64_t from, uint64_t secondsPerColumn,
                                                    std::size_t columns) const {
    std::vector<SecondCounts> sums(columns);
    secondsPerColumn = std::max<uint64_t>(secondsPerColumn, 1);
    const uint64_t to = from + secondsPerColumn * columns;
    for (const auto& [index, block] : BlocksBetween(from, to)) {
        const uint64_t blockStart = index * kBlockSeconds;
        const uint64_t first = std::max(from, blockStart);
        const uint64_t last = std::min(to, blockStart + kBlockSeconds);
        for (uint64_t second = first; second < last; ++second) {
            const auto slot = static_cast<std::size_t>(second - blockStart);
            SecondCounts& sum = sums[static_cast<std::size_t>((second - from) / secondsPerColumn)];
            sum.datagrams += block->datagrams[slot].load(kRelaxed);
            sum.bytes += block->bytes[slot].load(kRelaxed);
        }
    }
    return sums;
}

bool TrafficSeries::ForEachSecond(const std::function<bool(uint64_t, const SecondCounts&)>& visit) const {
    if (Empty()) {
        return true;
    }
    const uint64_t first = FirstSecond();
    const uint64_t last = LastSecond();
    const BlockList blocks = BlocksBetween(first, last + 1);
    auto block = blocks.begin();
    for (uint64_t second = first;; ++second) {
        const uint64_t index = second / kBlockSeconds;
        while (block != blocks.end() && block->first < index) {
            ++block;
        }
        SecondCounts counts;
        if (block != blocks.end() && block->first == index) {
            const auto slot = static_cast<std::size_t>(second % kBlockSeconds);
            counts = {block->second->datagrams[slot].load(kRelaxed), block->second->bytes[slot].load(kRelaxed)};
        }
        if (!visit(second, counts)) {
            return false;
        }
        if (second == last) {
            return true;
        }
    }
}

} // namespace capture
