// The messages of one IPFIX transport session over UDP: which carry the templates, and the sequence
// number of each. Both belong to an observation domain: templates are scoped to the session and the
// domain, and sequence numbers count the data records of one domain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "capture/export/flow_record.h"

namespace capture::ipfix {

// When a message is sent: a steady clock for the template timers and the wall clock for its header.
struct SendTime {
    uint64_t tickMilliseconds; // steady, from any origin
    uint32_t exportSeconds;    // seconds since 1970 UTC
};

class Stream {
public:
    // A UDP collector forgets templates it has not seen for a while and cannot read data without them, so
    // they go again at this interval (RFC 7011 section 8.4)...
    static constexpr uint64_t kTemplateRefreshMilliseconds = 60'000;
    // ...and with the first message after this long a silence: a collector started or restarted meanwhile
    // can read that message and the ones after at once, instead of up to a refresh interval later.
    static constexpr uint64_t kPauseMilliseconds = 10'000;

    struct Message {
        std::vector<uint8_t> bytes; // empty when there was nothing to send
        std::size_t records = 0;
        bool templates = false;
    };

    // The next message: as many records from the front of `records` as fit, which it takes off.
    Message Next(std::deque<FlowRecord>& records, uint32_t observationDomain, const SendTime& now);

    // Data records sent in the observation domain so far, modulo 2^32: the next message's sequence number.
    uint32_t Sequence(uint32_t observationDomain) const;

private:
    struct Domain {
        bool anySent = false;
        uint64_t templatesSentAt = 0;
        uint64_t lastSentAt = 0;
        uint32_t sequence = 0;
        bool TemplatesDue(uint64_t now) const;
    };

    std::unordered_map<uint32_t, Domain> m_domains;
};

// The observation domain of a capture: a number from the adapter's name (FNV-1a), so that a collector
// keeps the records of one adapter together across captures; never 0, which RFC 7011 keeps for records
// of no particular domain.
uint32_t ObservationDomainOf(const std::string& adapterName);

} // namespace capture::ipfix
