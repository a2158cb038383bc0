// Reads classic libpcap capture files record by record, checking every length before it is trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "packet/capture_reader.h"
#include "packet/little_endian.h"
#include "packet/source_buffer.h"

namespace packet {

// Records longer than the file's snap length occur in real files (the stored bytes are what counts), so
// the only limit is this sanity bound; anything longer is taken as a damaged file.
inline constexpr std::uint32_t kMaxRecordBytes = 256 * 1024;

// The magic numbers of a classic capture file, as its writer's machine stored them: microsecond and
// nanosecond time stamps.
inline constexpr std::uint32_t kMagicMicro = 0xa1b2c3d4;
inline constexpr std::uint32_t kMagicNano = 0xa1b23c4d;

class PcapReader final : public CaptureReader {
public:
    explicit PcapReader(std::unique_ptr<ByteSource> source);
    PcapReader(const PcapReader&) = delete;
    PcapReader& operator=(const PcapReader&) = delete;

    // Reads and checks the file header. Must succeed before Next is called; Waiting: call it again later.
    [[nodiscard]] PcapStatus Open() override;
    const PcapFileHeader& Header() const override { return m_header; }

    // The next record, or End, or the error that stops the file. After End or an error every further call
    // gives the same answer again; after Waiting nothing has been taken, and a later call tries again.
    [[nodiscard]] PcapStatus Next(PcapRecord& record) override;

    // Records read successfully so far (the number of the failing one is this plus 1).
    std::uint64_t RecordsRead() const override { return m_recordsRead; }
    // A sentence about the error that stopped the reader, naming the record; empty while all is well.
    const std::string& ErrorText() const override { return m_errorText; }

    // Sentences about what was odd but could be read all the same (a snap length out of range, a record
    // longer than its frame), each given once; taking them empties the list.
    std::vector<std::string> TakeNotes() override { return std::exchange(m_notes, {}); }

private:
    PcapStatus Fail(PcapStatus status, const std::string& detail);
    std::uint32_t Field32(const std::uint8_t* bytes) const { return LoadFileField32(bytes, m_header.swapped); }
    std::uint16_t Field16(const std::uint8_t* bytes) const { return LoadFileField16(bytes, m_header.swapped); }

    SourceBuffer m_input;
    PcapFileHeader m_header;
    PcapStatus m_state = PcapStatus::End; // End until Open succeeds
    std::uint64_t m_recordsRead = 0;
    std::string m_errorText;
    std::vector<std::string> m_notes;
    bool m_longerThanFrameNoted = false;
};

} // namespace packet
