// Reads classic libpcap capture files record by record, checking every length before it is trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace packet {

// Where the reader's bytes come from: a file, or memory in tests and fuzzers.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to size bytes into destination; fewer when no more are there (0 = none).
    virtual std::size_t Read(std::uint8_t* destination, std::size_t size) = 0;
    // Asked when Read gave fewer bytes than wanted: true when more may come later (a live stream whose
    // writer is still there), false when the data have ended (a file).
    virtual bool MoreMayCome() const { return false; }
};

// Bytes of a file opened with the C library (single-byte path).
class FileByteSource final : public ByteSource {
public:
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;
    ~FileByteSource() override;

    // Null when the file cannot be opened; errno then says why.
    static std::unique_ptr<FileByteSource> Open(const char* path);
    std::size_t Read(std::uint8_t* destination, std::size_t size) override;

private:
    explicit FileByteSource(std::FILE* file) : m_file(file) {}
    std::FILE* m_file;
};

// Bytes held in memory; the reader never looks past size.
class MemoryByteSource final : public ByteSource {
public:
    MemoryByteSource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::size_t Read(std::uint8_t* destination, std::size_t size) override;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

// Records longer than the file's snap length occur in real files (the stored bytes are what counts), so
// the only limit is this sanity bound; anything longer is taken as a damaged file.
inline constexpr std::uint32_t kMaxRecordBytes = 256 * 1024;

// The magic numbers of a classic capture file, as its writer's machine stored them: microsecond and
// nanosecond time stamps.
inline constexpr std::uint32_t kMagicMicro = 0xa1b2c3d4;
inline constexpr std::uint32_t kMagicNano = 0xa1b23c4d;

struct PcapFileHeader {
    bool swapped = false;    // the file was written with the other byte order
    bool nanosecond = false; // time stamps carry nanoseconds instead of microseconds
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    std::uint32_t snapLength = 0;
    std::uint32_t linkType = 0; // the link type proper (low 16 bits of the header field)
};

// One record as stored. data points into the reader's buffer and stays valid until the next call.
struct PcapRecord {
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0; // nanosecond files are brought down to microseconds
    std::uint32_t capturedLength = 0;
    std::uint32_t wireLength = 0;
    const std::uint8_t* data = nullptr;
};

enum class PcapStatus {
    Ok,              // a record (Next) or the file header (Open) was read
    Waiting,         // a live source has not delivered the whole header or record yet; ask again later
    End,             // no further record: the file ended exactly after the previous one
    ShortHeader,     // the file is shorter than its 24-byte header
    BadMagic,        // not a classic libpcap file
    BadVersion,      // a major version other than 2
    TruncatedRecord, // the file ends inside a record header or its data
    RecordTooLong,   // a captured length above kMaxRecordBytes
};

// Text for a status, e.g. "not a libpcap capture file (wrong magic number)".
const char* DescribePcapStatus(PcapStatus status);

class PcapReader {
public:
    explicit PcapReader(std::unique_ptr<ByteSource> source);
    PcapReader(const PcapReader&) = delete;
    PcapReader& operator=(const PcapReader&) = delete;

    // Reads and checks the file header. Must succeed before Next is called; Waiting: call it again later.
    [[nodiscard]] PcapStatus Open();
    const PcapFileHeader& Header() const { return m_header; }

    // The next record, or End, or the error that stops the file. After End or an error every further call
    // gives the same answer again; after Waiting nothing has been taken, and a later call tries again.
    [[nodiscard]] PcapStatus Next(PcapRecord& record);

    // Records read successfully so far (the number of the failing one is this plus 1).
    std::uint64_t RecordsRead() const { return m_recordsRead; }
    // A sentence about the error that stopped the reader, naming the record; empty while all is well.
    const std::string& ErrorText() const { return m_errorText; }

    // Sentences about what was odd but could be read all the same (a snap length out of range, a record
    // longer than its frame), each given once; taking them empties the list.
    std::vector<std::string> TakeNotes() { return std::exchange(m_notes, {}); }

private:
    // Makes at least count bytes available from m_begin on; false when the source ends first, or when a
    // live source has no more bytes for now (m_sourceEnded tells the two apart).
    bool Fill(std::size_t count);
    PcapStatus Fail(PcapStatus status, const std::string& detail);
    std::uint32_t Field32(const std::uint8_t* bytes) const;
    std::uint16_t Field16(const std::uint8_t* bytes) const;

    std::unique_ptr<ByteSource> m_source;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_sourceEnded = false;
    PcapFileHeader m_header;
    PcapStatus m_state = PcapStatus::End; // End until Open succeeds
    std::uint64_t m_recordsRead = 0;
    std::string m_errorText;
    std::vector<std::string> m_notes;
    bool m_longerThanFrameNoted = false;
};

} // namespace packet
