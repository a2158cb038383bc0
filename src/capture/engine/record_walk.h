// Walks the records that the packet library puts in the receive buffer and finds the IPv4 datagrams with
// a plain 20-byte header, never reading past the bytes received.
#pragma once

#include <cstdint>
#include <cstring>

namespace capture {

// Every record starts with a header of at least this size (time stamp, captured length, wire length,
// header length); records start at multiples of 4.
inline constexpr uint32_t kCaptureHeaderBytes = 20;
// Bytes of link header before the IP header: Token Ring (14 bytes of MAC header, 8 of LLC/SNAP), others.
inline constexpr uint32_t kTokenRingHeaderBytes = 22;
inline constexpr uint32_t kEthernetHeaderBytes = 14;
// The first IP byte of version 4 with a 20-byte header; other values (options, IPv6, not IP) are skipped.
inline constexpr uint8_t kPlainIpv4 = 0x45;
// What a datagram must have captured to be looked at: its 20-byte header and the two words after it.
inline constexpr uint32_t kDatagramBytesNeeded = 24;

struct RecordWalk {
    uint32_t records = 0;   // records walked
    uint32_t datagrams = 0; // datagrams handed on
    // The records not handed on, by reason: every one of them is either not IPv4 with a plain header at the
    // link offset, or too short to be looked at. A record that ends before the link offset has no byte to
    // test there and is too short.
    uint32_t notIpv4 = 0;  // the byte at the link offset is there and is not 0x45
    uint32_t tooShort = 0; // fewer bytes captured than the link header and kDatagramBytesNeeded
};

// One record of the receive buffer as the library wrote it.
struct CaptureRecord {
    uint32_t seconds;
    uint32_t microseconds;
    uint32_t capturedLength; // frame bytes present at frame
    uint32_t wireLength;
    const uint8_t* frame;
};

// Calls onRecord(const CaptureRecord&) for every record, in order. The walk stops at a record that would
// run past received, or whose header length is shorter than a header. Returns the records walked.
template <class OnRecord>
uint32_t ForEachCaptureRecord(const uint8_t* buffer, uint32_t received, OnRecord&& onRecord) {
    uint32_t records = 0;
    uint64_t offset = 0;
    while (offset + kCaptureHeaderBytes <= received) {
        CaptureRecord record;
        uint16_t headerLength;
        std::memcpy(&record.capturedLength, buffer + offset + 8, sizeof record.capturedLength);
        std::memcpy(&headerLength, buffer + offset + 16, sizeof headerLength);
        if (headerLength < kCaptureHeaderBytes) {
            break;
        }
        const uint64_t end = offset + headerLength + record.capturedLength;
        if (end > received) {
            break;
        }
        ++records;
        std::memcpy(&record.seconds, buffer + offset, sizeof record.seconds);
        std::memcpy(&record.microseconds, buffer + offset + 4, sizeof record.microseconds);
        std::memcpy(&record.wireLength, buffer + offset + 12, sizeof record.wireLength);
        record.frame = buffer + offset + headerLength;
        onRecord(static_cast<const CaptureRecord&>(record));
        offset = (end + 3) & ~uint64_t{3};
    }
    return records;
}

// The capture time of a record: microseconds since 1970-01-01 UTC.
inline uint64_t CaptureTimeOf(const CaptureRecord& record) {
    return uint64_t{record.seconds} * 1000000u + record.microseconds;
}

// Calls onDatagram(const uint8_t* datagram, uint32_t capturedBytes, const CaptureRecord& record) for every
// record whose byte after the link header is 0x45 and which holds at least the link header and 24 bytes of
// datagram; records as ForEachCaptureRecord walks them. The others are counted by reason.
template <class OnDatagram>
RecordWalk WalkCaptureRecords(const uint8_t* buffer, uint32_t received, uint32_t linkHeaderLength,
                              OnDatagram&& onDatagram) {
    RecordWalk walk;
    walk.records = ForEachCaptureRecord(buffer, received, [&](const CaptureRecord& record) {
        if (record.capturedLength >= linkHeaderLength + kDatagramBytesNeeded &&
            record.frame[linkHeaderLength] == kPlainIpv4) {
            ++walk.datagrams;
            onDatagram(record.frame + linkHeaderLength, record.capturedLength - linkHeaderLength, record);
        } else if (record.capturedLength > linkHeaderLength && record.frame[linkHeaderLength] != kPlainIpv4) {
            ++walk.notIpv4;
        } else {
            ++walk.tooShort;
        }
    });
    return walk;
}

} // namespace capture
