// Turns the flow table's counts into flow records: one when a flow leaves the table, and one whenever a
// long flow has been counting for the active time-out, with what it counted since its previous record.
#pragma once

#include <cstdint>

#include "capture/export/flow_record.h"
#include "capture/export/row_map.h"
#include "capture/flows/flow_table.h"

namespace capture {

class FlowRecordMaker final : public FlowListener {
public:
    // A record covers at most this much capture time: a datagram that comes later than that after the
    // first datagram of the flow's current record starts the next record.
    static constexpr uint64_t kActiveTimeoutMicroseconds = 60'000'000;

    explicit FlowRecordMaker(FlowRecordSink& sink, uint64_t activeTimeoutMicroseconds = kActiveTimeoutMicroseconds)
        : m_sink(sink), m_activeTimeout(activeTimeoutMicroseconds) {}

    void OnCounted(const FlowRow& row, uint32_t length, uint64_t captureTime) override;
    void OnFlowEnded(const FlowRow& row, FlowEnd why) override;
    // Every flow's record goes now rather than when the capture stops: the burst of the last records is on
    // its way while the capture is being stopped. What is counted after all starts a record anew.
    void OnSourceEnded() override;

    // Flows with datagrams not yet in a record.
    std::size_t OpenFlows() const { return m_open.Size(); }

private:
    // What a flow counted since its previous record. Kept here, by row, rather than in the row itself:
    // the table's rows cost nothing more when no one exports, and a row's address is stable while it lives.
    struct Pending {
        uint64_t firstTime = 0; // capture times, microseconds since 1970
        uint64_t lastTime = 0;
        uint32_t packets = 0;
        uint32_t octets = 0;
    };

    static FlowRecord RecordOf(const FlowKey& key, const Pending& pending);
    void Send(const FlowKey& key, const Pending& pending);

    FlowRecordSink& m_sink;
    uint64_t m_activeTimeout;
    RowMap<Pending> m_open;
};

} // namespace capture
