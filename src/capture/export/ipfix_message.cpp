// IPFIX messages of flow records.
#include "capture/export/ipfix_message.h"

#include <cstring>

namespace capture::ipfix {

namespace {

constexpr uint8_t kProtocolSctp = 132;

struct Field {
    uint16_t element;
    uint16_t bytes;
};

// The counts go in 4 bytes, the reduced-size encoding of RFC 7011 section 6.2: a row counts in 32-bit
// words, and the record maker cuts a record before either would overflow. Smaller records make fewer
// messages for the same flows.
constexpr Field kPortsFields[] = {
    {kSourceIPv4Address, 4},        {kDestinationIPv4Address, 4}, {kSourceTransportPort, 2},
    {kDestinationTransportPort, 2}, {kProtocolIdentifier, 1},     {kPacketDeltaCount, 4},
    {kOctetDeltaCount, 4},          {kFlowStartMilliseconds, 8},  {kFlowEndMilliseconds, 8},
};
constexpr Field kIcmpFields[] = {
    {kSourceIPv4Address, 4}, {kDestinationIPv4Address, 4}, {kIcmpTypeCodeIPv4, 2},      {kProtocolIdentifier, 1},
    {kPacketDeltaCount, 4},  {kOctetDeltaCount, 4},        {kFlowStartMilliseconds, 8}, {kFlowEndMilliseconds, 8},
};
constexpr Field kPlainFields[] = {
    {kSourceIPv4Address, 4}, {kDestinationIPv4Address, 4}, {kProtocolIdentifier, 1},  {kPacketDeltaCount, 4},
    {kOctetDeltaCount, 4},   {kFlowStartMilliseconds, 8},  {kFlowEndMilliseconds, 8},
};

struct LayoutFields {
    const Field* fields;
    std::size_t count;
};

constexpr LayoutFields kLayoutFields[kLayouts] = {
    {kPortsFields, std::size(kPortsFields)},
    {kIcmpFields, std::size(kIcmpFields)},
    {kPlainFields, std::size(kPlainFields)},
};

constexpr uint16_t kFirstTemplateId = 256;

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value >> 16));
    Put16(out, static_cast<uint16_t>(value));
}

void Put64(std::vector<uint8_t>& out, uint64_t value) {
    Put32(out, static_cast<uint32_t>(value >> 32));
    Put32(out, static_cast<uint32_t>(value));
}

// Key words are stored in network order already: their bytes go out as they are.
void PutStored(std::vector<uint8_t>& out, const void* stored, std::size_t bytes) {
    const auto* first = static_cast<const uint8_t*>(stored);
    out.insert(out.end(), first, first + bytes);
}

std::size_t SumBytes(const LayoutFields& layout) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < layout.count; ++i) {
        bytes += layout.fields[i].bytes;
    }
    return bytes;
}

void AppendTemplateSet(std::vector<uint8_t>& out) {
    Put16(out, kTemplateSetId);
    Put16(out, static_cast<uint16_t>(TemplateSetBytes()));
    for (std::size_t layout = 0; layout < kLayouts; ++layout) {
        const LayoutFields& fields = kLayoutFields[layout];
        Put16(out, static_cast<uint16_t>(kFirstTemplateId + layout));
        Put16(out, static_cast<uint16_t>(fields.count));
        for (std::size_t i = 0; i < fields.count; ++i) {
            Put16(out, fields.fields[i].element);
            Put16(out, fields.fields[i].bytes);
        }
    }
}

} // namespace

Layout LayoutOf(uint8_t protocol) {
    switch (protocol) {
    case kProtocolTcp:
    case kProtocolUdp:
    case kProtocolSctp:
        return Layout::Ports;
    case kProtocolIcmp:
        return Layout::Icmp;
    default:
        return Layout::Plain;
    }
}

uint16_t TemplateIdOf(Layout layout) {
    return static_cast<uint16_t>(kFirstTemplateId + static_cast<uint16_t>(layout));
}

std::size_t RecordBytes(Layout layout) {
    return SumBytes(kLayoutFields[static_cast<std::size_t>(layout)]);
}

std::size_t TemplateSetBytes() {
    std::size_t bytes = kSetHeaderBytes;
    for (const LayoutFields& layout : kLayoutFields) {
        bytes += 4 + 4 * layout.count; // template id and field count, then each field's id and length
    }
    return bytes;
}

MessageWriter::MessageWriter(bool withTemplates) : m_withTemplates(withTemplates) {}

std::size_t MessageWriter::Bytes() const {
    std::size_t bytes = kMessageHeaderBytes + (m_withTemplates ? TemplateSetBytes() : 0);
    for (const std::vector<uint8_t>& set : m_sets) {
        if (!set.empty()) {
            bytes += kSetHeaderBytes + set.size();
        }
    }
    return bytes;
}

bool MessageWriter::Add(const FlowRecord& record) {
    const Layout layout = LayoutOf(record.key.protocol);
    std::vector<uint8_t>& set = m_sets[static_cast<std::size_t>(layout)];
    const std::size_t grows = RecordBytes(layout) + (set.empty() ? kSetHeaderBytes : 0);
    if (Bytes() + grows >= kMessageBytesBelow) {
        return false;
    }
    PutStored(set, &record.key.sourceAddress, 4);
    PutStored(set, &record.key.destinationAddress, 4);
    if (layout != Layout::Plain) {
        // For ICMP the first word after the IP header is the type and the code: icmpTypeCodeIPv4.
        PutStored(set, &record.key.sourcePort, 2);
    }
    if (layout == Layout::Ports) {
        PutStored(set, &record.key.destinationPort, 2);
    }
    set.push_back(record.key.protocol);
    Put32(set, record.packets);
    Put32(set, record.octets);
    Put64(set, record.startMilliseconds);
    Put64(set, record.endMilliseconds);
    ++m_records;
    return true;
}

std::vector<uint8_t> MessageWriter::Finish(uint32_t exportTime, uint32_t sequence, uint32_t observationDomain) const {
    std::vector<uint8_t> message;
    message.reserve(Bytes());
    Put16(message, kVersion);
    Put16(message, static_cast<uint16_t>(Bytes()));
    Put32(message, exportTime);
    Put32(message, sequence);
    Put32(message, observationDomain);
    if (m_withTemplates) {
        AppendTemplateSet(message);
    }
    for (std::size_t layout = 0; layout < kLayouts; ++layout) {
        const std::vector<uint8_t>& set = m_sets[layout];
        if (set.empty()) {
            continue;
        }
        Put16(message, static_cast<uint16_t>(kFirstTemplateId + layout));
        Put16(message, static_cast<uint16_t>(kSetHeaderBytes + set.size()));
        message.insert(message.end(), set.begin(), set.end());
    }
    return message;
}

} // namespace capture::ipfix
