// Flow records from the flow table's counts.
#include "capture/export/flow_record_maker.h"

#include <algorithm>
#include <limits>

namespace capture {

FlowRecord FlowRecordMaker::RecordOf(const FlowKey& key, const Pending& pending) {
    FlowRecord record;
    record.key = key;
    record.packets = pending.packets;
    record.octets = pending.octets;
    record.startMilliseconds = pending.firstTime / 1000;
    record.endMilliseconds = pending.lastTime / 1000;
    return record;
}

void FlowRecordMaker::Send(const FlowKey& key, const Pending& pending) {
    m_sink.Take(RecordOf(key, pending));
}

void FlowRecordMaker::OnCounted(const FlowRow& row, uint32_t length, uint64_t captureTime) {
    const auto [found, isNew] = m_open.FindOrAdd(&row);
    Pending& pending = *found;
    bool starts = isNew;
    if (!isNew) {
        // Time stamps can step back (a clock set back, records out of order); only a step forward counts.
        const bool timedOut = captureTime > pending.firstTime && captureTime - pending.firstTime >= m_activeTimeout;
        // The record's counts are 32-bit words: a flow that would overflow one is recorded first.
        const bool full = pending.packets == std::numeric_limits<uint32_t>::max() ||
                          pending.octets > std::numeric_limits<uint32_t>::max() - length;
        if (timedOut || full) {
            Send(row.record.key, pending);
            pending = Pending{};
            starts = true;
        }
    }
    if (starts) {
        pending.firstTime = captureTime;
        pending.lastTime = captureTime;
    }
    pending.firstTime = std::min(pending.firstTime, captureTime);
    pending.lastTime = std::max(pending.lastTime, captureTime);
    ++pending.packets;
    pending.octets += length;
}

void FlowRecordMaker::OnFlowEnded(const FlowRow& row, FlowEnd) {
    const Pending* found = m_open.Find(&row);
    if (found == nullptr) {
        return; // every datagram of the flow is in a record already
    }
    Send(row.record.key, *found);
    m_open.Erase(&row);
}

void FlowRecordMaker::OnSourceEnded() {
    std::vector<FlowRecord> records;
    records.reserve(m_open.Size());
    m_open.ForEach([&](const void* row, const Pending& pending) {
        records.push_back(RecordOf(static_cast<const FlowRow*>(row)->record.key, pending));
    });
    m_open.Clear();
    m_sink.TakeAll(records);
}

} // namespace capture
