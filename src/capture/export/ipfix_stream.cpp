// The messages of one IPFIX transport session over UDP.
#include "capture/export/ipfix_stream.h"

#include "capture/export/ipfix_message.h"

namespace capture::ipfix {

bool Stream::Domain::TemplatesDue(uint64_t now) const {
    // A steady clock never goes back; should it, the templates go again rather than never.
    return !anySent || now < lastSentAt || now - templatesSentAt >= kTemplateRefreshMilliseconds ||
           now - lastSentAt >= kPauseMilliseconds;
}

Stream::Message Stream::Next(std::deque<FlowRecord>& records, uint32_t observationDomain, const SendTime& now) {
    Message message;
    if (records.empty()) {
        return message;
    }
    Domain& domain = m_domains[observationDomain];
    message.templates = domain.TemplatesDue(now.tickMilliseconds);
    MessageWriter writer(message.templates);
    while (!records.empty() && writer.Add(records.front())) {
        records.pop_front();
    }
    message.bytes = writer.Finish(now.exportSeconds, domain.sequence, observationDomain);
    message.records = writer.Records();
    domain.sequence += static_cast<uint32_t>(message.records); // wraps modulo 2^32, as the header's field does
    if (message.templates) {
        domain.templatesSentAt = now.tickMilliseconds;
    }
    domain.lastSentAt = now.tickMilliseconds;
    domain.anySent = true;
    return message;
}

uint32_t Stream::Sequence(uint32_t observationDomain) const {
    const auto found = m_domains.find(observationDomain);
    return found == m_domains.end() ? 0 : found->second.sequence;
}

uint32_t ObservationDomainOf(const std::string& adapterName) {
    uint32_t hash = 2166136261u;
    for (const char c : adapterName) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    }
    return hash != 0 ? hash : 1;
}

} // namespace capture::ipfix
