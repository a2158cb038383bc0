// Which reader a capture needs, told by its first four bytes.
#include "packet/capture_format.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "packet/little_endian.h"
#include "packet/pcap_reader.h"
#include "packet/pcapng_reader.h"

namespace packet {

namespace {

constexpr std::size_t kMagicBytes = 4;

// The bytes looked at to choose the format, handed out again before the rest of the source.
class PrefixedSource final : public ByteSource {
public:
    PrefixedSource(std::vector<std::uint8_t> prefix, std::unique_ptr<ByteSource> rest)
        : m_prefix(std::move(prefix)), m_rest(std::move(rest)) {}

    std::size_t Read(std::uint8_t* destination, std::size_t size) override {
        const std::size_t fromPrefix = std::min(size, m_prefix.size() - m_used);
        if (fromPrefix != 0) {
            std::memcpy(destination, m_prefix.data() + m_used, fromPrefix);
            m_used += fromPrefix;
        }
        return fromPrefix == size ? size : fromPrefix + m_rest->Read(destination + fromPrefix, size - fromPrefix);
    }
    bool MoreMayCome() const override { return m_rest->MoreMayCome(); }

private:
    std::vector<std::uint8_t> m_prefix;
    std::size_t m_used = 0;
    std::unique_ptr<ByteSource> m_rest;
};

class FormatSniffingReader final : public CaptureReader {
public:
    explicit FormatSniffingReader(std::unique_ptr<ByteSource> source) : m_source(std::move(source)) {}

    PcapStatus Open() override {
        if (m_reader == nullptr && !Choose()) {
            return PcapStatus::Waiting;
        }
        return m_reader->Open();
    }
    const PcapFileHeader& Header() const override { return m_reader != nullptr ? m_reader->Header() : m_none; }
    PcapStatus Next(PcapRecord& record) override {
        return m_reader != nullptr ? m_reader->Next(record) : PcapStatus::End;
    }
    std::uint64_t RecordsRead() const override { return m_reader != nullptr ? m_reader->RecordsRead() : 0; }
    std::uint64_t OtherLinkTypeRecords() const override {
        return m_reader != nullptr ? m_reader->OtherLinkTypeRecords() : 0;
    }
    const std::string& ErrorText() const override { return m_reader != nullptr ? m_reader->ErrorText() : m_noText; }
    std::vector<std::string> TakeNotes() override {
        return m_reader != nullptr ? m_reader->TakeNotes() : std::vector<std::string>{};
    }
    // The reader chosen (null before Open has chosen), which the front only passes calls on to.
    std::unique_ptr<CaptureReader> TakeChosen() { return std::move(m_reader); }

private:
    // Takes the first bytes and makes the reader they call for; false while a live source has not sent
    // them all yet.
    bool Choose() {
        while (m_magic.size() < kMagicBytes) {
            std::uint8_t bytes[kMagicBytes];
            const std::size_t got = m_source->Read(bytes, kMagicBytes - m_magic.size());
            if (got == 0) {
                if (m_source->MoreMayCome()) {
                    return false;
                }
                break;
            }
            m_magic.insert(m_magic.end(), bytes, bytes + got);
        }
        const bool pcapng = m_magic.size() == kMagicBytes && LoadLittleEndian32(m_magic.data()) == kSectionHeaderBlock;
        auto source = std::make_unique<PrefixedSource>(std::move(m_magic), std::move(m_source));
        if (pcapng) {
            m_reader = std::make_unique<PcapngReader>(std::move(source));
        } else {
            m_reader = std::make_unique<PcapReader>(std::move(source));
        }
        return true;
    }

    std::unique_ptr<ByteSource> m_source;
    std::vector<std::uint8_t> m_magic;
    std::unique_ptr<CaptureReader> m_reader;
    PcapFileHeader m_none;
    std::string m_noText;
};

} // namespace

std::unique_ptr<CaptureReader> CaptureReaderFor(std::unique_ptr<ByteSource> source) {
    return std::make_unique<FormatSniffingReader>(std::move(source));
}

std::unique_ptr<CaptureReader> OpenCaptureFile(const char* path) {
    std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
    if (source == nullptr) {
        return nullptr;
    }
    FormatSniffingReader front(std::move(source));
    // A file has all its bytes there: once open, the front has nothing more to do.
    return front.Open() == PcapStatus::Ok ? front.TakeChosen() : nullptr;
}

} // namespace packet
