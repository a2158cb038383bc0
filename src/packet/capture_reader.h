// What every capture-file reader of the stand-in offers, whatever the format: where its bytes come from, the
// records it hands out, the answers it gives, and the one interface the replay reads through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
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

// What a capture says of itself. For pcapng: the first section and its first interface, whose link type
// is the adapter's.
struct PcapFileHeader {
    bool swapped = false;    // the file was written with the other byte order
    bool nanosecond = false; // time stamps carry nanoseconds instead of microseconds (classic files)
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    std::uint32_t snapLength = 0;
    std::uint32_t linkType = 0; // the link type proper (low 16 bits of the classic header's field)
};

// One record as stored. data points into the reader's buffer and stays valid until the next call.
struct PcapRecord {
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0; // finer time stamps are brought down to microseconds
    std::uint32_t capturedLength = 0;
    std::uint32_t wireLength = 0;
    const std::uint8_t* data = nullptr;
};

enum class PcapStatus {
    Ok,              // a record (Next) or the file header (Open) was read
    Waiting,         // a live source has not delivered the whole header or record yet; ask again later
    End,             // no further record: the file ended exactly after the previous one
    ShortHeader,     // the file is shorter than its 24-byte header
    BadMagic,        // neither a classic libpcap file nor a pcapng one
    BadVersion,      // a major version other than 2
    TruncatedRecord, // the file ends inside a record header or its data
    RecordTooLong,   // a captured length above kMaxRecordBytes
    // pcapng only
    BadByteOrderMagic, // a section header whose byte-order magic is neither order's
    BadSectionVersion, // a section of a major version other than 1
    TruncatedBlock,    // the file ends inside a block
    BadBlockLength,    // a block length under 12, not a multiple of 4, or unequal to its trailing copy
    BlockTooLong,      // a block longer than kMaxBlockBytes
    BadBlockContents,  // a block's fields do not fit in its length
    NoSuchInterface,   // a packet before any interface of its section, or from one never described
};

// Text for a status, e.g. "not a libpcap or pcapng capture file (wrong magic number)".
const char* DescribePcapStatus(PcapStatus status);

// A capture file read record by record, checking every length before it is trusted.
class CaptureReader {
public:
    virtual ~CaptureReader() = default;

    // Reads and checks what comes before the first record. Must succeed before Next is called; Waiting:
    // call it again later.
    [[nodiscard]] virtual PcapStatus Open() = 0;
    virtual const PcapFileHeader& Header() const = 0;

    // The next record, or End, or the error that stops the file. After End or an error every further call
    // gives the same answer again; after Waiting nothing has been taken, and a later call tries again.
    [[nodiscard]] virtual PcapStatus Next(PcapRecord& record) = 0;

    // Packet records read so far, those left out included (the number of a failing one is this plus 1).
    virtual std::uint64_t RecordsRead() const = 0;
    // Records left out because their interface's link type is not the adapter's: their bytes would be read
    // with the wrong layout. Only pcapng files have them.
    virtual std::uint64_t OtherLinkTypeRecords() const { return 0; }

    // A sentence about the error that stopped the reader, naming where; empty while all is well.
    virtual const std::string& ErrorText() const = 0;
    // Sentences about what was odd but could be read all the same, each given once; taking them empties
    // the list.
    virtual std::vector<std::string> TakeNotes() = 0;
};

} // namespace packet
