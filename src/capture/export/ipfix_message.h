// IPFIX messages (RFC 7011) of flow records: the message header, the template set of our record shapes,
// and data sets of records, each message shorter than 1,400 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/export/flow_record.h"

namespace capture::ipfix {

inline constexpr uint16_t kVersion = 10;
inline constexpr uint16_t kTemplateSetId = 2;
inline constexpr std::size_t kMessageHeaderBytes = 16;
inline constexpr std::size_t kSetHeaderBytes = 4;
// Every message is shorter than this: with the IP and UDP headers (and those of a tunnel or of IPv6) it
// still fits an Ethernet frame unfragmented, and a lost fragment would lose the whole message.
inline constexpr std::size_t kMessageBytesBelow = 1400;

// Information elements of the IANA registry that the records carry.
enum Element : uint16_t {
    kOctetDeltaCount = 1,
    kPacketDeltaCount = 2,
    kProtocolIdentifier = 4,
    kSourceTransportPort = 7,
    kSourceIPv4Address = 8,
    kDestinationTransportPort = 11,
    kDestinationIPv4Address = 12,
    kIcmpTypeCodeIPv4 = 32,
    kFlowStartMilliseconds = 152,
    kFlowEndMilliseconds = 153,
};

// A record's layout, by its flow's protocol: ports for TCP, UDP and SCTP; the ICMP type and code for ICMP;
// neither for every other protocol, whose first words after the IP header are no ports.
enum class Layout : uint8_t { Ports, Icmp, Plain };
inline constexpr std::size_t kLayouts = 3;

// How many bytes a record's counts take, in the reduced-size encoding of RFC 7011 section 6.2. Wide: 4 for
// each, as the row counts them. Narrow: 1 for the datagrams and 2 for the octets, for a flow of fewer than
// 256 datagrams and 65,536 bytes since its previous record. Most flows are that short, and the 5 bytes saved
// on each of their records make about one message in seven fewer.
enum class Counts : uint8_t { Wide, Narrow };

// What a record looks like on the wire: one template each.
struct Shape {
    Layout layout;
    Counts counts;
};
inline constexpr std::size_t kTemplates = kLayouts * 2;

Layout LayoutOf(uint8_t protocol);
Shape ShapeOf(const FlowRecord& record);
// Template ids 256, 257 and 258 for wide counts, in the order of Layout; 259, 260 and 261 for narrow ones.
uint16_t TemplateIdOf(Shape shape);
// Bytes of one data record of the shape: 37, 35 and 33 wide; 32, 30 and 28 narrow.
std::size_t RecordBytes(Shape shape);
// Bytes of the template set that defines all the shapes.
std::size_t TemplateSetBytes();

// One message being filled: records are added until the next would make it too long, then it is
// finished with its header. Records of one shape go into one data set.
class MessageWriter {
public:
    explicit MessageWriter(bool withTemplates);

    // False, and nothing added, when the record would make the message 1,400 bytes or more.
    [[nodiscard]] bool Add(const FlowRecord& record);
    std::size_t Records() const { return m_records; }
    bool WithTemplates() const { return m_withTemplates; }
    // The message's length as it stands.
    std::size_t Bytes() const;

    // The whole message. exportTime: seconds since 1970 UTC at sending; sequence: data records sent
    // before this message in the observation domain, modulo 2^32.
    std::vector<uint8_t> Finish(uint32_t exportTime, uint32_t sequence, uint32_t observationDomain) const;

private:
    bool m_withTemplates;
    std::size_t m_records = 0;
    std::array<std::vector<uint8_t>, kTemplates> m_sets; // each shape's records, without the set header
};

} // namespace capture::ipfix
