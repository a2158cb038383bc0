// The byte sources of the capture-file readers, and the words for what a reader answers.
#include "packet/capture_reader.h"

#include <cstring>

namespace packet {

FileByteSource::~FileByteSource() {
    std::fclose(m_file);
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return nullptr;
    }
    // Our own reads are large; a second buffer inside the C library would only copy twice.
    (void)std::setvbuf(file, nullptr, _IONBF, 0);
    return std::unique_ptr<FileByteSource>(new FileByteSource(file));
}

std::size_t FileByteSource::Read(std::uint8_t* destination, std::size_t size) {
    return std::fread(destination, 1, size, m_file);
}

std::size_t MemoryByteSource::Read(std::uint8_t* destination, std::size_t size) {
    const std::size_t count = size < m_size - m_offset ? size : m_size - m_offset;
    if (count != 0) {
        std::memcpy(destination, m_data + m_offset, count);
    }
    m_offset += count;
    return count;
}

const char* DescribePcapStatus(PcapStatus status) {
    switch (status) {
    case PcapStatus::Ok:
        return "no error";
    case PcapStatus::Waiting:
        return "waiting for more of the capture";
    case PcapStatus::End:
        return "end of the capture file";
    case PcapStatus::ShortHeader:
        return "the file is shorter than a libpcap file header (24 bytes)";
    case PcapStatus::BadMagic:
        return "not a libpcap or pcapng capture file (wrong magic number)";
    case PcapStatus::BadVersion:
        return "unsupported libpcap file version (only 2.x is read)";
    case PcapStatus::TruncatedRecord:
        return "the file ends inside a record";
    case PcapStatus::RecordTooLong:
        return "a record is longer than 262144 bytes";
    case PcapStatus::BadByteOrderMagic:
        return "not a pcapng section header (wrong byte-order magic)";
    case PcapStatus::BadSectionVersion:
        return "unsupported pcapng version (only 1.x is read)";
    case PcapStatus::TruncatedBlock:
        return "the file ends inside a block";
    case PcapStatus::BadBlockLength:
        return "a block length is unsound";
    case PcapStatus::BlockTooLong:
        return "a block is longer than 16 MiB";
    case PcapStatus::BadBlockContents:
        return "a block's fields do not fit in its length";
    case PcapStatus::NoSuchInterface:
        return "a packet from an interface that was not described";
    }
    return "unknown error";
}

} // namespace packet
