// Reads pcapng captures block by block, checking every length before it is trusted.
#include "packet/pcapng_reader.h"

namespace packet {

namespace {

// Block types read; all others are passed over.
constexpr std::uint32_t kInterfaceDescriptionBlock = 1;
constexpr std::uint32_t kObsoletePacketBlock = 2;
constexpr std::uint32_t kSimplePacketBlock = 3;
constexpr std::uint32_t kEnhancedPacketBlock = 6;

// Every block: type, length, body, the length again.
constexpr std::uint32_t kBlockFrameBytes = 12;
constexpr std::uint32_t kSectionHeaderBytes = 28;   // up to the section length; options follow
constexpr std::uint32_t kInterfaceHeaderBytes = 20; // up to the snap length; options follow
constexpr std::uint32_t kPacketHeaderBytes = 32;    // Enhanced and obsolete: up to the original length
constexpr std::uint32_t kSimplePacketHeaderBytes = 16;

// Interface Description options read.
constexpr std::uint16_t kOptionEnd = 0;
constexpr std::uint16_t kOptionTimeResolution = 9;
constexpr std::uint16_t kOptionTimeOffset = 14;

// Reads go to the source in large pieces; the buffer grows beyond them only for longer blocks.
constexpr std::size_t kChunkBytes = 1024 * 1024;
constexpr std::size_t kInitialBytes = kChunkBytes + 256 * 1024 + 64;

constexpr std::uint64_t kPowersOfTen[] = {1ull,
                                          10ull,
                                          100ull,
                                          1000ull,
                                          10000ull,
                                          100000ull,
                                          1000000ull,
                                          10000000ull,
                                          100000000ull,
                                          1000000000ull,
                                          10000000000ull,
                                          100000000000ull,
                                          1000000000000ull,
                                          10000000000000ull,
                                          100000000000000ull,
                                          1000000000000000ull,
                                          10000000000000000ull,
                                          100000000000000000ull,
                                          1000000000000000000ull,
                                          10000000000000000000ull};
constexpr unsigned kLargestPowerOfTen = 19;

// The microseconds in fraction units of 2^-shift seconds (fraction below 2^shift), cut down.
std::uint32_t MicrosecondsOfBinaryFraction(std::uint64_t fraction, unsigned shift) {
    if (shift <= 44) { // fraction * 10^6 stays below 2^64
        return static_cast<std::uint32_t>((fraction * 1000000u) >> shift);
    }
    // 10^6 = 2^6 * 15625. fraction * 15625 is formed from the fraction's two halves: low holds bits 0..45,
    // high the bits from 32 up. The shift right by shift - 6 (at least 39) drops bits 0..31 entirely.
    const std::uint64_t low = (fraction & 0xffffffffu) * 15625u;
    const std::uint64_t high = (fraction >> 32) * 15625u + (low >> 32);
    const unsigned rest = shift - 6 - 32;
    return rest >= 64 ? 0 : static_cast<std::uint32_t>(high >> rest);
}

} // namespace

CaptureTime TimeOfUnits(std::uint64_t units, std::uint8_t resolution) {
    if (resolution == kMicrosecondResolution) {
        return {units / 1000000u, static_cast<std::uint32_t>(units % 1000000u)};
    }
    const unsigned exponent = resolution & 0x7fu;
    if ((resolution & 0x80u) != 0) { // units of 2^-exponent seconds
        if (exponent >= 64) {
            return {0, MicrosecondsOfBinaryFraction(units, exponent)};
        }
        const std::uint64_t fraction = exponent == 0 ? 0 : units & ((std::uint64_t{1} << exponent) - 1);
        return {units >> exponent, MicrosecondsOfBinaryFraction(fraction, exponent)};
    }
    // units of 10^-exponent seconds
    if (exponent <= 6) {
        const std::uint64_t perSecond = kPowersOfTen[exponent];
        return {units / perSecond, static_cast<std::uint32_t>(units % perSecond * kPowersOfTen[6 - exponent])};
    }
    const unsigned finer = exponent - 6; // units per microsecond: 10^finer
    if (finer > kLargestPowerOfTen) {
        return {0, 0}; // every 64-bit count is below a microsecond
    }
    const std::uint64_t microseconds = units / kPowersOfTen[finer];
    return {microseconds / 1000000u, static_cast<std::uint32_t>(microseconds % 1000000u)};
}

PcapngReader::PcapngReader(std::unique_ptr<ByteSource> source) : m_input(std::move(source), kInitialBytes) {}

std::string PcapngReader::Where() const {
    return "block " + std::to_string(m_blocksRead + 1) + " at byte " + std::to_string(m_offset);
}

PcapStatus PcapngReader::Fail(PcapStatus status, const std::string& detail) {
    m_state = status;
    m_errorText = std::string(DescribePcapStatus(status)) + detail;
    return status;
}

void PcapngReader::AddPacketNote(const std::string& what) {
    m_notes.push_back("packet " + std::to_string(m_recordsRead) + " (" + Where() + ") " + what);
}

PcapStatus PcapngReader::Incomplete(std::size_t needed, bool headerOnly) {
    if (!m_input.SourceEnded()) {
        return PcapStatus::Waiting;
    }
    const std::size_t available = m_input.Available();
    if (available == 0 && m_blocksRead != 0) {
        m_state = PcapStatus::End;
        return m_state;
    }
    if (headerOnly) {
        return FailWith(PcapStatus::TruncatedBlock, [&] {
            return ": " + Where() + " has only " + std::to_string(available) + " of its " + std::to_string(needed) +
                   " header bytes";
        });
    }
    return FailWith(PcapStatus::TruncatedBlock, [&] {
        return ": " + Where() + " needs " + std::to_string(needed) + " bytes, " + std::to_string(available) + " remain";
    });
}

PcapStatus PcapngReader::Open() {
    if (m_haveInterface || !m_errorText.empty()) {
        return m_errorText.empty() ? PcapStatus::Ok : m_state;
    }
    while (!m_haveInterface) {
        PcapRecord unused;
        bool isRecord = false;
        const PcapStatus status = ReadBlock(unused, isRecord);
        if (status == PcapStatus::End) {
            // Sections and no interface: a capture of nothing, shown as Ethernet.
            m_notes.push_back("the capture describes no interface, so it holds no packets");
            m_header.linkType = 1;
            m_haveInterface = true;
            return PcapStatus::Ok; // Next says End
        }
        if (status != PcapStatus::Ok) {
            return status;
        }
    }
    m_state = PcapStatus::Ok;
    return m_state;
}

PcapStatus PcapngReader::Next(PcapRecord& record) {
    if (m_state != PcapStatus::Ok) {
        return m_state;
    }
    for (;;) {
        if (TakePlainPacket(record)) {
            return PcapStatus::Ok;
        }
        bool isRecord = false;
        const PcapStatus status = ReadBlock(record, isRecord);
        if (status != PcapStatus::Ok || isRecord) {
            return status;
        }
    }
}

bool PcapngReader::TakePlainPacket(PcapRecord& record) {
    if (m_input.Available() < kPacketHeaderBytes) {
        return false;
    }
    const std::uint8_t* block = m_input.Data();
    const std::uint32_t length = Field32(block + 4);
    if (Field32(block) != kEnhancedPacketBlock || length < kPacketHeaderBytes || length % 4 != 0 ||
        length > kMaxBlockBytes || length > m_input.Available() || Field32(block + length - 4) != length) {
        return false;
    }
    const std::uint32_t interfaceId = Field32(block + 8);
    if (interfaceId >= m_interfaces.size()) {
        return false;
    }
    const Interface& from = m_interfaces[interfaceId];
    const std::uint32_t captured = Field32(block + 20);
    const std::uint32_t wire = Field32(block + 24);
    if (from.linkType != m_header.linkType || from.resolution != kMicrosecondResolution ||
        captured > length - kPacketHeaderBytes || (from.snapLength != 0 && captured > from.snapLength) ||
        wire < captured) {
        return false;
    }
    const std::uint64_t units = std::uint64_t{Field32(block + 12)} << 32 | Field32(block + 16);
    m_lastTime.seconds = static_cast<std::uint32_t>(units / 1000000u + static_cast<std::uint64_t>(from.offsetSeconds));
    m_lastTime.microseconds = static_cast<std::uint32_t>(units % 1000000u);
    record.seconds = static_cast<std::uint32_t>(m_lastTime.seconds);
    record.microseconds = m_lastTime.microseconds;
    record.capturedLength = captured;
    record.wireLength = wire;
    record.data = block + 28;
    ++m_recordsRead;
    m_input.Consume(length);
    m_offset += length;
    ++m_blocksRead;
    return true;
}

PcapStatus PcapngReader::ReadBlock(PcapRecord& record, bool& isRecord) {
    if (!m_input.Fill(8)) {
        return Incomplete(8, true);
    }
    const std::uint8_t* block = m_input.Data();
    std::uint32_t type = LoadLittleEndian32(block);
    if (type == kSectionHeaderBlock) {
        // The byte order of the section, and so of its own length, comes from the magic after the length.
        if (!m_input.Fill(12)) {
            return Incomplete(12, true);
        }
        block = m_input.Data();
        const std::uint32_t magic = LoadLittleEndian32(block + 8);
        if (magic != kByteOrderMagic && ByteSwapped32(magic) != kByteOrderMagic) {
            return FailWith(PcapStatus::BadByteOrderMagic, [&] { return ": " + Where(); });
        }
        m_swapped = magic != kByteOrderMagic;
    } else if (m_blocksRead == 0) {
        return Fail(PcapStatus::BadMagic, "");
    } else {
        type = Field32(block);
    }

    const std::uint32_t length = Field32(block + 4);
    if (length < kBlockFrameBytes || length % 4 != 0) {
        return FailWith(PcapStatus::BadBlockLength, [&] {
            return ": " + Where() + " gives " + std::to_string(length) +
                   (length < kBlockFrameBytes ? " (under 12)" : " (not a multiple of 4)");
        });
    }
    if (length > kMaxBlockBytes) {
        return FailWith(PcapStatus::BlockTooLong,
                        [&] { return ": " + Where() + " gives " + std::to_string(length) + " bytes"; });
    }
    if (!m_input.Fill(length)) {
        return Incomplete(length, false);
    }
    block = m_input.Data(); // Fill may have moved the bytes
    const std::uint32_t trailer = Field32(block + length - 4);
    if (trailer != length) {
        return FailWith(PcapStatus::BadBlockLength, [&] {
            return ": " + Where() + " gives " + std::to_string(length) + " at its start and " +
                   std::to_string(trailer) + " at its end";
        });
    }

    PcapStatus status = PcapStatus::Ok;
    switch (type) {
    case kSectionHeaderBlock:
        status = ReadSectionHeader(block, length);
        break;
    case kInterfaceDescriptionBlock:
        status = ReadInterface(block, length);
        break;
    case kEnhancedPacketBlock:
    case kObsoletePacketBlock:
    case kSimplePacketBlock:
        status = ReadPacket(type, block, length, record, isRecord);
        break;
    default: // name resolution, interface statistics, decryption secrets, custom and unknown blocks
        break;
    }
    if (status != PcapStatus::Ok) {
        return status;
    }
    // The packet's bytes stay where they are until the next Fill.
    m_input.Consume(length);
    m_offset += length;
    ++m_blocksRead;
    return PcapStatus::Ok;
}

PcapStatus PcapngReader::ReadSectionHeader(const std::uint8_t* block, std::uint32_t length) {
    if (length < kSectionHeaderBytes) {
        return FailWith(PcapStatus::BadBlockContents, [&] {
            return ": " + Where() + ", a section header, has " + std::to_string(length) + " bytes (at least 28)";
        });
    }
    const std::uint16_t major = Field16(block + 12);
    const std::uint16_t minor = Field16(block + 14);
    if (major != 1) {
        return FailWith(PcapStatus::BadSectionVersion, [&] {
            return ": " + Where() + " is of version " + std::to_string(major) + "." + std::to_string(minor);
        });
    }
    if (m_sections == 0) {
        m_header.swapped = m_swapped;
        m_header.versionMajor = major;
        m_header.versionMinor = minor;
    }
    ++m_sections;
    m_interfaces.clear(); // interface IDs count from 0 in every section
    return PcapStatus::Ok;
}

PcapStatus PcapngReader::ReadInterface(const std::uint8_t* block, std::uint32_t length) {
    if (length < kInterfaceHeaderBytes) {
        return FailWith(PcapStatus::BadBlockContents, [&] {
            return ": " + Where() + ", an interface description, has " + std::to_string(length) +
                   " bytes (at least 20)";
        });
    }
    Interface described;
    described.linkType = Field16(block + 8);
    described.snapLength = Field32(block + 12);
    const std::uint8_t* option = block + 16;
    const std::uint8_t* const end = block + length - 4;
    while (end - option >= 4) {
        const std::uint16_t code = Field16(option);
        const std::uint16_t size = Field16(option + 2);
        if (code == kOptionEnd) {
            break;
        }
        const std::uint32_t padded = (size + 3u) & ~3u;
        if (padded > static_cast<std::uint32_t>(end - option - 4)) {
            return FailWith(PcapStatus::BadBlockContents, [&] {
                return ": " + Where() + ": option " + std::to_string(code) + " runs past the end of the block";
            });
        }
        if (code == kOptionTimeResolution && size == 1) {
            described.resolution = option[4];
        } else if (code == kOptionTimeOffset && size == 8) {
            const std::uint64_t first = Field32(option + 4);
            const std::uint64_t second = Field32(option + 8);
            described.offsetSeconds =
                static_cast<std::int64_t>(m_swapped ? first << 32 | second : second << 32 | first);
        }
        option += 4 + padded;
    }
    if (!m_haveInterface) {
        m_header.linkType = described.linkType;
        m_header.snapLength = described.snapLength;
        m_header.nanosecond = described.resolution == 9;
        m_haveInterface = true;
    }
    m_interfaces.push_back(described);
    return PcapStatus::Ok;
}

PcapStatus PcapngReader::ReadPacket(std::uint32_t type, const std::uint8_t* block, std::uint32_t length,
                                    PcapRecord& record, bool& isRecord) {
    std::uint32_t interfaceId = 0;
    std::uint64_t units = 0;
    std::uint32_t captured = 0;
    std::uint32_t wire = 0;
    std::uint32_t room = 0;
    const std::uint8_t* data = nullptr;
    if (type == kSimplePacketBlock) {
        if (length < kSimplePacketHeaderBytes) {
            return FailWith(PcapStatus::BadBlockContents, [&] {
                return ": " + Where() + ", a simple packet, has " + std::to_string(length) + " bytes (at least 16)";
            });
        }
        wire = Field32(block + 8);
        data = block + 12;
        room = length - kSimplePacketHeaderBytes;
    } else {
        if (length < kPacketHeaderBytes) {
            return FailWith(PcapStatus::BadBlockContents, [&] {
                return ": " + Where() + ", a packet, has " + std::to_string(length) + " bytes (at least 32)";
            });
        }
        interfaceId = type == kEnhancedPacketBlock ? Field32(block + 8) : Field16(block + 8);
        units = std::uint64_t{Field32(block + 12)} << 32 | Field32(block + 16);
        captured = Field32(block + 20);
        wire = Field32(block + 24);
        data = block + 28;
        room = length - kPacketHeaderBytes;
    }
    if (interfaceId >= m_interfaces.size()) {
        return FailWith(PcapStatus::NoSuchInterface, [&] {
            return ": " + Where() +
                   (m_interfaces.empty() ? " comes before any interface description of its section"
                                         : " names interface " + std::to_string(interfaceId) +
                                               "; its section describes " + std::to_string(m_interfaces.size()));
        });
    }
    const Interface& from = m_interfaces[interfaceId];
    if (type == kSimplePacketBlock) {
        // Its captured bytes are the frame cut to the interface's snap length.
        captured = from.snapLength != 0 && from.snapLength < wire ? from.snapLength : wire;
    }
    if (captured > room) {
        return FailWith(PcapStatus::BadBlockContents, [&] {
            return ": " + Where() + " claims " + std::to_string(captured) + " packet bytes; the block holds " +
                   std::to_string(room);
        });
    }
    ++m_recordsRead;
    if (from.linkType != m_header.linkType) {
        // Its bytes have another layout than the adapter's medium: counted, never handed on.
        ++m_otherLinkTypeRecords;
        NoteOnce(m_otherLinkTypeNoted, [&] {
            return "is from an interface of link type " + std::to_string(from.linkType) + ", not the capture's " +
                   std::to_string(m_header.linkType) + "; such packets are left out and counted";
        });
        return PcapStatus::Ok;
    }
    if (from.snapLength != 0 && captured > from.snapLength) {
        // Real captures converted from classic files have them; the stored bytes are what counts.
        NoteOnce(m_beyondSnapLengthNoted, [&] {
            return "holds " + std::to_string(captured) + " bytes, more than its interface's snap length of " +
                   std::to_string(from.snapLength) + "; such packets are read as stored";
        });
    }
    if (wire < captured) {
        NoteOnce(m_longerThanFrameNoted, [&] {
            return "holds " + std::to_string(captured) + " bytes of a frame of " + std::to_string(wire) +
                   "; such packets are read whole, as frames of their own length";
        });
        wire = captured;
    }
    if (type != kSimplePacketBlock) {
        const CaptureTime time = TimeOfUnits(units, from.resolution);
        // The driver's records carry 32-bit seconds: a time beyond them wraps, as its seconds field would.
        m_lastTime.seconds = static_cast<std::uint32_t>(time.seconds + static_cast<std::uint64_t>(from.offsetSeconds));
        m_lastTime.microseconds = time.microseconds;
    }
    // A simple packet carries no time stamp: it takes its predecessor's.
    record.seconds = static_cast<std::uint32_t>(m_lastTime.seconds);
    record.microseconds = m_lastTime.microseconds;
    record.capturedLength = captured;
    record.wireLength = wire;
    record.data = data;
    isRecord = true;
    return PcapStatus::Ok;
}

} // namespace packet
