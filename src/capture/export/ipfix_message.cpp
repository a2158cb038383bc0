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

// The counts' widths here are the wide ones: a row counts in 32-bit words, and the record maker cuts a
// record before either would overflow.
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

constexpr uint32_t kNarrowPacketsAbove = 0xff;
constexpr uint32_t kNarrowOctetsAbove = 0xffff;

uint16_t FieldBytes(const Field& field, Counts counts) {
    if (counts == Counts::Narrow && field.element == kPacketDeltaCount) {
        return 1;
    }
    if (counts == Counts::Narrow && field.element == kOctetDeltaCount) {
        return 2;
    }
    return field.bytes;
}

// The shapes in the order of their template ids, and back.
Shape ShapeAt(std::size_t index) {
    return {static_cast<Layout>(index % kLayouts), index < kLayouts ? Counts::Wide : Counts::Narrow};
}
std::size_t IndexOf(Shape shape) {
    return static_cast<std::size_t>(shape.layout) + (shape.counts == Counts::Narrow ? kLayouts : 0);
}

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

void PutCount(std::vector<uint8_t>& out, uint32_t value, uint16_t bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// Key words are stored in network order already: their bytes go out as they are.
void PutStored(std::vector<uint8_t>& out, const void* stored, std::size_t bytes) {
    const auto* first = static_cast<const uint8_t*>(stored);
    out.insert(out.end(), first, first + bytes);
}

const LayoutFields& FieldsOf(Shape shape) {
    return kLayoutFields[static_cast<std::size_t>(shape.layout)];
}

void AppendTemplateSet(std::vector<uint8_t>& out) {
    Put16(out, kTemplateSetId);
    Put16(out, static_cast<uint16_t>(TemplateSetBytes()));
    for (std::size_t index = 0; index < kTemplates; ++index) {
        const Shape shape = ShapeAt(index);
        const LayoutFields& fields = FieldsOf(shape);
        Put16(out, TemplateIdOf(shape));
        Put16(out, static_cast<uint16_t>(fields.count));
        for (std::size_t i = 0; i < fields.count; ++i) {
            Put16(out, fields.fields[i].element);
            Put16(out, FieldBytes(fields.fields[i], shape.counts));
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

Shape ShapeOf(const FlowRecord& record) {
    const bool narrow = record.packets <= kNarrowPacketsAbove && record.octets <= kNarrowOctetsAbove;
    return {LayoutOf(record.key.protocol), narrow ? Counts::Narrow : Counts::Wide};
}

uint16_t TemplateIdOf(Shape shape) {
    return static_cast<uint16_t>(kFirstTemplateId + IndexOf(shape));
}

std::size_t RecordBytes(Shape shape) {
    const LayoutFields& fields = FieldsOf(shape);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < fields.count; ++i) {
        bytes += FieldBytes(fields.fields[i], shape.counts);
    }
    return bytes;
}

std::size_t TemplateSetBytes() {
    std::size_t bytes = kSetHeaderBytes;
    for (std::size_t index = 0; index < kTemplates; ++index) {
        bytes += 4 + 4 * FieldsOf(ShapeAt(index)).count; // id and field count, then each field's id and length
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
    const Shape shape = ShapeOf(record);
    const Layout layout = shape.layout;
    std::vector<uint8_t>& set = m_sets[IndexOf(shape)];
    const std::size_t grows = RecordBytes(shape) + (set.empty() ? kSetHeaderBytes : 0);
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
    const bool narrow = shape.counts == Counts::Narrow;
    PutCount(set, record.packets, narrow ? 1 : 4);
    PutCount(set, record.octets, narrow ? 2 : 4);
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
    for (std::size_t index = 0; index < kTemplates; ++index) {
        const std::vector<uint8_t>& set = m_sets[index];
        if (set.empty()) {
            continue;
        }
        Put16(message, TemplateIdOf(ShapeAt(index)));
        Put16(message, static_cast<uint16_t>(kSetHeaderBytes + set.size()));
        message.insert(message.end(), set.begin(), set.end());
    }
    return message;
}

} // namespace capture::ipfix
