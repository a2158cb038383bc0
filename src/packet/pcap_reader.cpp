// Reads classic libpcap capture files record by record, checking every length before it is trusted.
#include "packet/pcap_reader.h"

#include "packet/little_endian.h"

namespace packet {

namespace {

constexpr std::size_t kFileHeaderBytes = 24;
constexpr std::size_t kRecordHeaderBytes = 16;
// Reads go to the source in large pieces; the buffer always holds the biggest record allowed as well.
constexpr std::size_t kChunkBytes = 1024 * 1024;

} // namespace

PcapReader::PcapReader(std::unique_ptr<ByteSource> source)
    : m_input(std::move(source), kChunkBytes + kMaxRecordBytes + kRecordHeaderBytes) {}

PcapStatus PcapReader::Fail(PcapStatus status, const std::string& detail) {
    m_state = status;
    m_errorText = std::string(DescribePcapStatus(status)) + detail;
    return status;
}

PcapStatus PcapReader::Open() {
    if (!m_input.Fill(kFileHeaderBytes)) {
        return m_input.SourceEnded() ? Fail(PcapStatus::ShortHeader, "") : PcapStatus::Waiting;
    }
    const std::uint8_t* bytes = m_input.Data();
    const std::uint32_t magic = LoadLittleEndian32(bytes);
    if (magic == kMagicMicro || magic == kMagicNano) {
        m_header.swapped = false;
    } else if (ByteSwapped32(magic) == kMagicMicro || ByteSwapped32(magic) == kMagicNano) {
        m_header.swapped = true;
    } else {
        return Fail(PcapStatus::BadMagic, "");
    }
    m_header.nanosecond = (m_header.swapped ? ByteSwapped32(magic) : magic) == kMagicNano;
    m_header.versionMajor = Field16(bytes + 4);
    m_header.versionMinor = Field16(bytes + 6);
    if (m_header.versionMajor != 2) {
        return Fail(PcapStatus::BadVersion, " (version " + std::to_string(m_header.versionMajor) + ")");
    }
    m_header.snapLength = Field32(bytes + 16);
    // Records are read as stored whatever the header says, so a strange snap length only needs saying.
    if (m_header.snapLength == 0 || m_header.snapLength > kMaxRecordBytes) {
        m_notes.push_back("the file header gives a snap length of " + std::to_string(m_header.snapLength) +
                          " (expected 1 to " + std::to_string(kMaxRecordBytes) + "); records are read as stored");
    }
    // The upper bits of the field carry frame-check-sequence flags, not the link type.
    m_header.linkType = Field32(bytes + 20) & 0xffffu;
    m_input.Consume(kFileHeaderBytes);
    m_state = PcapStatus::Ok;
    return PcapStatus::Ok;
}

PcapStatus PcapReader::Next(PcapRecord& record) {
    if (m_state != PcapStatus::Ok) {
        return m_state;
    }
    if (!m_input.Fill(kRecordHeaderBytes)) {
        if (!m_input.SourceEnded()) {
            return PcapStatus::Waiting;
        }
        if (m_input.Available() == 0) {
            m_state = PcapStatus::End;
            return m_state;
        }
        return Fail(PcapStatus::TruncatedRecord, ": record " + std::to_string(m_recordsRead + 1) + " has only " +
                                                     std::to_string(m_input.Available()) + " of its 16 header bytes");
    }
    const std::uint8_t* head = m_input.Data();
    const std::uint32_t captured = Field32(head + 8);
    if (captured > kMaxRecordBytes) {
        return Fail(PcapStatus::RecordTooLong,
                    ": record " + std::to_string(m_recordsRead + 1) + " claims " + std::to_string(captured) + " bytes");
    }
    if (!m_input.Fill(kRecordHeaderBytes + captured)) {
        if (!m_input.SourceEnded()) {
            return PcapStatus::Waiting;
        }
        return Fail(PcapStatus::TruncatedRecord,
                    ": record " + std::to_string(m_recordsRead + 1) + " needs " + std::to_string(captured) +
                        " bytes, " + std::to_string(m_input.Available() - kRecordHeaderBytes) + " remain");
    }
    head = m_input.Data(); // Fill may have moved the bytes
    record.seconds = Field32(head);
    const std::uint32_t fraction = Field32(head + 4);
    record.microseconds = m_header.nanosecond ? fraction / 1000 : fraction;
    record.capturedLength = captured;
    record.wireLength = Field32(head + 12);
    // More bytes than the frame had on the wire: one of the two lengths is wrong, and the bytes are there.
    // The record keeps them all and is given a frame as long as they are, so that no reader further on
    // meets a record longer than its frame.
    if (record.wireLength < captured) {
        if (!m_longerThanFrameNoted) {
            m_notes.push_back("record " + std::to_string(m_recordsRead + 1) + " holds " + std::to_string(captured) +
                              " bytes of a frame of " + std::to_string(record.wireLength) +
                              "; such records are read whole, as frames of their own length");
        }
        m_longerThanFrameNoted = true;
        record.wireLength = captured;
    }
    record.data = head + kRecordHeaderBytes;
    m_input.Consume(kRecordHeaderBytes + captured);
    ++m_recordsRead;
    return PcapStatus::Ok;
}

} // namespace packet
