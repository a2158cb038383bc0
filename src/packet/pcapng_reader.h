// Reads pcapng captures block by block: sections in either byte order, their interfaces, and the packets of
// Enhanced, Simple and obsolete Packet Blocks; every other block is passed over by its length.
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

// The Section Header Block's type: the same four bytes in either byte order.
inline constexpr std::uint32_t kSectionHeaderBlock = 0x0a0d0d0a;
// The section's byte-order magic, as its writer's machine stored it.
inline constexpr std::uint32_t kByteOrderMagic = 0x1a2b3c4d;
// A block is held whole while it is read; anything longer than this is taken as damage (capture tools
// write packets of at most 256 KiB).
inline constexpr std::uint32_t kMaxBlockBytes = 16 * 1024 * 1024;
// An interface's time stamps count microseconds unless its if_tsresol option says otherwise.
inline constexpr std::uint8_t kMicrosecondResolution = 6;

struct CaptureTime {
    std::uint64_t seconds = 0;
    std::uint32_t microseconds = 0;
};

// A time stamp counted in an interface's units, as seconds and microseconds; finer units are cut down, not
// rounded. resolution is the if_tsresol byte: units of 10^-n seconds, or of 2^-n when its top bit is set.
CaptureTime TimeOfUnits(std::uint64_t units, std::uint8_t resolution);

class PcapngReader final : public CaptureReader {
public:
    explicit PcapngReader(std::unique_ptr<ByteSource> source);
    PcapngReader(const PcapngReader&) = delete;
    PcapngReader& operator=(const PcapngReader&) = delete;

    // Reads up to and including the first Interface Description Block, whose link type becomes the
    // capture's. A capture that ends before any interface opens as one of no records (and Ethernet).
    [[nodiscard]] PcapStatus Open() override;
    const PcapFileHeader& Header() const override { return m_header; }

    // The next packet of an interface with the capture's link type; packets of other link types are passed
    // over and counted (OtherLinkTypeRecords), and said once.
    [[nodiscard]] PcapStatus Next(PcapRecord& record) override;

    std::uint64_t RecordsRead() const override { return m_recordsRead; }
    std::uint64_t OtherLinkTypeRecords() const override { return m_otherLinkTypeRecords; }
    const std::string& ErrorText() const override { return m_errorText; }
    std::vector<std::string> TakeNotes() override { return std::exchange(m_notes, {}); }

private:
    struct Interface {
        std::uint32_t linkType = 0;
        std::uint32_t snapLength = 0; // 0: no limit
        std::uint8_t resolution = kMicrosecondResolution;
        std::int64_t offsetSeconds = 0; // if_tsoffset: added to every time stamp
    };

    // Most blocks of a capture, read without detours: a whole Enhanced Packet Block in the buffer, from an
    // interface of the capture's link type with microsecond time stamps, with nothing odd to say about it.
    // False for anything else, which ReadBlock reads by the general rules, taking nothing.
    bool TakePlainPacket(PcapRecord& record);
    // Reads one whole block; isRecord tells whether it gave a packet to hand out.
    PcapStatus ReadBlock(PcapRecord& record, bool& isRecord);
    PcapStatus ReadSectionHeader(const std::uint8_t* block, std::uint32_t length);
    PcapStatus ReadInterface(const std::uint8_t* block, std::uint32_t length);
    PcapStatus ReadPacket(std::uint32_t type, const std::uint8_t* block, std::uint32_t length, PcapRecord& record,
                          bool& isRecord);
    // The source has fewer than needed bytes of the current block: wait, end, or fail as the file is cut.
    PcapStatus Incomplete(std::size_t needed, bool headerOnly);
    PcapStatus Fail(PcapStatus status, const std::string& detail);
    // Fail with the detail that detail() composes: out of the way of the packets' path, which never fails.
    template <class Detail>
    [[gnu::cold, gnu::noinline]] PcapStatus FailWith(PcapStatus status, Detail detail) {
        return Fail(status, detail());
    }
    // Says what() about the packet being read, unless noted says it was said already.
    template <class What>
    void NoteOnce(bool& noted, What what) {
        if (!noted) {
            AddPacketNote(what());
        }
        noted = true;
    }
    [[gnu::cold, gnu::noinline]] void AddPacketNote(const std::string& what);
    // "block 7 at byte 1234": the block being read.
    std::string Where() const;
    std::uint32_t Field32(const std::uint8_t* bytes) const { return LoadFileField32(bytes, m_swapped); }
    std::uint16_t Field16(const std::uint8_t* bytes) const { return LoadFileField16(bytes, m_swapped); }

    SourceBuffer m_input;
    PcapFileHeader m_header;
    bool m_swapped = false; // the current section's byte order is not little-endian
    bool m_haveInterface = false;
    std::vector<Interface> m_interfaces; // of the current section, by ID
    std::uint64_t m_sections = 0;
    std::uint64_t m_blocksRead = 0;
    std::uint64_t m_offset = 0;           // of the current block in the file
    CaptureTime m_lastTime;               // of the last packet: Simple Packet Blocks carry no time stamp
    PcapStatus m_state = PcapStatus::End; // End until Open succeeds
    std::uint64_t m_recordsRead = 0;
    std::uint64_t m_otherLinkTypeRecords = 0;
    std::string m_errorText;
    std::vector<std::string> m_notes;
    bool m_otherLinkTypeNoted = false;
    bool m_beyondSnapLengthNoted = false;
    bool m_longerThanFrameNoted = false;
};

} // namespace packet
