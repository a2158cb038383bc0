// Turns the records of a capture file into the driver's receive-buffer format, all at once or paced by time.
#include "packet/capture_replay.h"

#include <cstring>

#include "packet/capture_format.h"
#include "packet/little_endian.h"

namespace packet {

namespace {

std::int64_t MicrosecondsOf(const PcapRecord& record) {
    return static_cast<std::int64_t>(record.seconds) * 1000000 + record.microseconds;
}

} // namespace

std::uint32_t WriteDriverRecord(std::uint8_t* destination, std::uint32_t seconds, std::uint32_t microseconds,
                                std::uint32_t capturedLength, std::uint32_t wireLength, const std::uint8_t* data) {
    const std::uint32_t size = DriverRecordSize(capturedLength);
    StoreLittleEndian32(destination, seconds);
    StoreLittleEndian32(destination + 4, microseconds);
    StoreLittleEndian32(destination + 8, capturedLength);
    StoreLittleEndian32(destination + 12, wireLength);
    destination[16] = static_cast<std::uint8_t>(kDriverHeaderBytes);
    destination[17] = 0;
    destination[18] = 0;
    destination[19] = 0;
    if (capturedLength != 0) {
        std::memcpy(destination + kDriverHeaderBytes, data, capturedLength);
    }
    std::memset(destination + kDriverHeaderBytes + capturedLength, 0, size - kDriverHeaderBytes - capturedLength);
    return size;
}

CaptureReplay::CaptureReplay(std::unique_ptr<CaptureReader> reader) : m_reader(std::move(reader)) {}

std::unique_ptr<CaptureReplay> OpenFileReplay(const char* path) {
    std::unique_ptr<CaptureReader> reader = OpenCaptureFile(path);
    return reader != nullptr ? std::make_unique<CaptureReplay>(std::move(reader)) : nullptr;
}

bool CaptureReplay::Peek() {
    if (m_hasPending) {
        return true;
    }
    const PcapStatus status = m_reader->Next(m_pending);
    m_waiting = status == PcapStatus::Waiting;
    if (status != PcapStatus::Ok) {
        return false;
    }
    if (!m_haveFirstTime) {
        m_firstTime = MicrosecondsOf(m_pending);
        m_haveFirstTime = true;
    }
    m_hasPending = true;
    return true;
}

bool CaptureReplay::NextRecordOffset(std::uint64_t& offsetMicroseconds) {
    if (!Peek()) {
        return false;
    }
    const std::int64_t offset = MicrosecondsOf(m_pending) - m_firstTime;
    offsetMicroseconds = offset > 0 ? static_cast<std::uint64_t>(offset) : 0;
    return true;
}

bool CaptureReplay::Exhausted() {
    return !Peek() && !m_waiting;
}

ReplayFill CaptureReplay::Fill(std::uint8_t* buffer, std::uint32_t capacity, std::uint64_t dueMicroseconds) {
    ReplayFill fill;
    std::uint64_t offset = 0;
    while (NextRecordOffset(offset) && offset <= dueMicroseconds) {
        std::uint32_t captured = m_pending.capturedLength;
        const std::uint32_t room = capacity - fill.bytes;
        if (DriverRecordSize(captured) > room) {
            if (fill.bytes != 0 || room < DriverRecordSize(0)) {
                break;
            }
            captured = (room - kDriverHeaderBytes) & ~3u;
        }
        fill.bytes += WriteDriverRecord(buffer + fill.bytes, m_pending.seconds, m_pending.microseconds, captured,
                                        m_pending.wireLength, m_pending.data);
        ++fill.records;
        m_hasPending = false;
    }
    return fill;
}

} // namespace packet
