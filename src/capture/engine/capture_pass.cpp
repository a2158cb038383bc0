// One receive of the capture thread: the records of the receive buffer walked into the flow table.
#include "capture/engine/capture_pass.h"

namespace capture {

PassFigures PassReceivedRecords(const uint8_t* buffer, uint32_t received, uint32_t linkHeaderLength, FlowTable& table) {
    PassFigures pass;
    pass.walk = WalkCaptureRecords(buffer, received, linkHeaderLength,
                                   [&](const uint8_t* datagram, uint32_t captured, const CaptureRecord& record) {
                                       switch (table.OnPacket(datagram, captured, CaptureTimeOf(record))) {
                                       case DatagramOutcome::Counted:
                                           ++pass.counted;
                                           break;
                                       case DatagramOutcome::TooShort:
                                           ++pass.tooShort;
                                           break;
                                       case DatagramOutcome::FilteredOut:
                                           ++pass.filteredOut;
                                           break;
                                       case DatagramOutcome::HeaderNotBelowLength:
                                           ++pass.headerNotBelowLength;
                                           break;
                                       }
                                   });
    return pass;
}

} // namespace capture
