// One flow record on its way to a collector: a flow's key and what it counted between two records.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/flows/flow_row.h"

namespace capture {

struct FlowRecord {
    FlowKey key;
    uint32_t packets = 0; // datagrams since the flow's previous record
    uint32_t octets = 0;  // their IP total lengths, as the flow's row counts bytes
    // Capture times (the records' time stamps) of the first and the last of those datagrams, in
    // milliseconds since 1970-01-01 UTC.
    uint64_t startMilliseconds = 0;
    uint64_t endMilliseconds = 0;
};

// Where finished flow records go. Told on the capture thread, and on the thread that ends a capture.
class FlowRecordSink {
public:
    virtual ~FlowRecordSink() = default;
    virtual void Take(const FlowRecord& record) = 0;
    // Many records at once, as when a capture's source ends: a sink that hands them to another thread
    // does so in one go rather than one by one.
    virtual void TakeAll(const std::vector<FlowRecord>& records) {
        for (const FlowRecord& record : records) {
            Take(record);
        }
    }
};

} // namespace capture
