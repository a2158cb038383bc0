// Saves what a capture received as a classic libpcap file.
#include "capture/engine/pcap_writer.h"

#include <cerrno>
#include <cstring>

#include "capture/engine/record_walk.h"
#include "packet/little_endian.h"
#include "packet/pcap_reader.h"

namespace capture {

namespace {

// Big enough that a busy capture costs few system calls.
constexpr std::size_t kStreamBufferBytes = 1 << 20;

std::string Reason(int error) {
    return error != 0 ? std::strerror(error) : "unknown error";
}

} // namespace

PcapWriter::~PcapWriter() {
    std::string ignored;
    (void)Close(ignored);
}

bool PcapWriter::Open(const std::string& path, uint32_t linkType, std::string& error) {
    if (!Close(error)) {
        return false;
    }
    errno = 0;
    m_file = std::fopen(path.c_str(), "wb");
    if (m_file == nullptr) {
        error = "cannot create \"" + path + "\": " + Reason(errno);
        return false;
    }
    (void)std::setvbuf(m_file, nullptr, _IOFBF, kStreamBufferBytes);
    m_path = path;
    m_firstError = 0;
    // Magic (microsecond time stamps; written little-endian like every field), version 2.4, time zone 0,
    // accuracy 0, snap length (the largest record a reader of ours takes; real adapters stay below it),
    // link type.
    uint8_t header[24] = {};
    packet::StoreLittleEndian32(header, packet::kMagicMicro);
    header[4] = 2;
    header[6] = 4;
    packet::StoreLittleEndian32(header + 16, packet::kMaxRecordBytes);
    packet::StoreLittleEndian32(header + 20, linkType);
    Write(header, sizeof header);
    return true;
}

void PcapWriter::Write(const void* bytes, std::size_t size) {
    if (m_firstError == 0 && std::fwrite(bytes, 1, size, m_file) != size) {
        m_firstError = errno != 0 ? errno : EIO;
    }
}

void PcapWriter::WriteReceived(const uint8_t* buffer, uint32_t received) {
    if (m_file == nullptr) {
        return;
    }
    (void)ForEachCaptureRecord(buffer, received, [this](const CaptureRecord& record) {
        uint8_t head[16];
        packet::StoreLittleEndian32(head, record.seconds);
        packet::StoreLittleEndian32(head + 4, record.microseconds);
        packet::StoreLittleEndian32(head + 8, record.capturedLength);
        packet::StoreLittleEndian32(head + 12, record.wireLength);
        Write(head, sizeof head);
        Write(record.frame, record.capturedLength);
    });
}

bool PcapWriter::Close(std::string& error) {
    if (m_file == nullptr) {
        return true;
    }
    // Flushed first and on its own: some C libraries' fclose does not report a failed final write.
    errno = 0;
    if ((std::fflush(m_file) != 0 || std::ferror(m_file) != 0) && m_firstError == 0) {
        m_firstError = errno != 0 ? errno : EIO;
    }
    if (std::fclose(m_file) != 0 && m_firstError == 0) {
        m_firstError = errno != 0 ? errno : EIO;
    }
    m_file = nullptr;
    if (m_firstError == 0) {
        return true;
    }
    error = "writing \"" + m_path + "\" failed: " + Reason(m_firstError);
    return false;
}

} // namespace capture
