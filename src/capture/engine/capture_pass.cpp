// One receive of the capture thread: the records of the receive buffer walked into the flow table.
#include "capture/engine/capture_pass.h"

namespace capture {

RecordWalk PassReceivedRecords(const uint8_t* buffer, uint32_t received, uint32_t linkHeaderLength, FlowTable& table) {
    return WalkCaptureRecords(buffer, received, linkHeaderLength,
                              [&table](const uint8_t* datagram, uint32_t captured, const CaptureRecord& record) {
                                  (void)table.OnPacket(datagram, captured, CaptureTimeOf(record));
                              });
}

} // namespace capture
