// Saves what a capture received as a classic libpcap file.
#include "capture/engine/pcap_writer.h"

#include "capture/engine/record_walk.h"
#include "packet/little_endian.h"
#include "packet/pcap_reader.h"

namespace capture {

namespace {

// A receive buffer's records with their file headers: the receive buffer and a little more.
constexpr std::size_t kHeldBytes = 1 << 20;

} // namespace

bool PcapWriter::Open(const std::string& path, uint32_t linkType, std::string& error) {
    if (!Close(error)) {
        return false;
    }
    // Unbuffered: each receive's records are gathered instead, so that each write hands the file whole
    // records.
    if (!m_file.Open(path, "wb", false, error)) {
        return false;
    }
    m_held.reserve(kHeldBytes);
    // Magic (microsecond time stamps; written little-endian like every field), version 2.4, time zone 0,
    // accuracy 0, snap length (the largest record a reader of ours takes; real adapters stay below it),
    // link type.
    uint8_t header[24] = {};
    packet::StoreLittleEndian32(header, packet::kMagicMicro);
    header[4] = 2;
    header[6] = 4;
    packet::StoreLittleEndian32(header + 16, packet::kMaxRecordBytes);
    packet::StoreLittleEndian32(header + 20, linkType);
    Append(header, sizeof header);
    Flush(); // a capture that ends at once still leaves a capture file, if an empty one
    return true;
}

void PcapWriter::Append(const void* bytes, std::size_t size) {
    const auto* first = static_cast<const uint8_t*>(bytes);
    m_held.insert(m_held.end(), first, first + size);
}

void PcapWriter::Flush() {
    if (!m_held.empty()) {
        (void)m_file.Write(m_held.data(), m_held.size()); // a failure is told at Close
    }
    m_held.clear();
}

void PcapWriter::WriteReceived(const uint8_t* buffer, uint32_t received) {
    if (!m_file.IsOpen()) {
        return;
    }
    (void)ForEachCaptureRecord(buffer, received, [this](const CaptureRecord& record) {
        uint8_t head[16];
        packet::StoreLittleEndian32(head, record.seconds);
        packet::StoreLittleEndian32(head + 4, record.microseconds);
        packet::StoreLittleEndian32(head + 8, record.capturedLength);
        packet::StoreLittleEndian32(head + 12, record.wireLength);
        Append(head, sizeof head);
        Append(record.frame, record.capturedLength);
    });
    Flush();
}

bool PcapWriter::Close(std::string& error) {
    std::vector<uint8_t>().swap(m_held);
    return m_file.Close(error);
}

} // namespace capture
