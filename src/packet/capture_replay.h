// Turns the records of a capture file into the driver's receive-buffer format, all at once or paced by time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "packet/capture_reader.h"

namespace packet {

// The driver's record header: time stamp (seconds, microseconds), captured length, wire length, header
// length, 2 bytes of padding. Records start at multiples of 4.
inline constexpr std::uint32_t kDriverHeaderBytes = 20;

constexpr std::uint32_t DriverRecordSize(std::uint32_t capturedLength) {
    return (kDriverHeaderBytes + capturedLength + 3u) & ~3u;
}

// Writes one record (header, the first capturedLength bytes of data, zeroed padding) at destination, which
// must hold DriverRecordSize(capturedLength) bytes. Returns that size.
std::uint32_t WriteDriverRecord(std::uint8_t* destination, std::uint32_t seconds, std::uint32_t microseconds,
                                std::uint32_t capturedLength, std::uint32_t wireLength, const std::uint8_t* data);

struct ReplayFill {
    std::uint32_t bytes = 0;   // bytes written, a multiple of 4
    std::uint32_t records = 0; // whole records written
};

class CaptureReplay {
public:
    // The reader must have opened its file successfully.
    explicit CaptureReplay(std::unique_ptr<CaptureReader> reader);

    const PcapFileHeader& Header() const { return m_reader->Header(); }

    // Copies, in file order, every pending record that fits whole into capacity bytes and whose time
    // offset from the first record is at most dueMicroseconds (kAllDue: no time limit). A record too big
    // for an empty buffer is cut to what fits, so that replay never stalls on it.
    static constexpr std::uint64_t kAllDue = UINT64_MAX;
    ReplayFill Fill(std::uint8_t* buffer, std::uint32_t capacity, std::uint64_t dueMicroseconds);

    // True when a record is pending; its time offset from the first record (0 for records stamped
    // earlier than the first) then goes to offsetMicroseconds.
    bool NextRecordOffset(std::uint64_t& offsetMicroseconds);

    // No record is left and none will come: the file or stream ended, or an error stopped it (ErrorText
    // is then not empty). A live stream that has not delivered its next record yet is not exhausted.
    bool Exhausted();
    const std::string& ErrorText() const { return m_reader->ErrorText(); }
    // What the reader found odd but could read (see CaptureReader::TakeNotes).
    std::vector<std::string> TakeNotes() { return m_reader->TakeNotes(); }
    // Records passed over because their interface's link type is not the capture's (pcapng only).
    std::uint64_t OtherLinkTypeRecords() const { return m_reader->OtherLinkTypeRecords(); }

private:
    bool Peek();

    std::unique_ptr<CaptureReader> m_reader;
    PcapRecord m_pending;
    bool m_hasPending = false;
    bool m_waiting = false; // the reader is waiting for more of a live stream
    bool m_haveFirstTime = false;
    std::int64_t m_firstTime = 0;
};

// A replay of the capture file at path, classic libpcap or pcapng; null when the file cannot be opened or
// is no capture.
std::unique_ptr<CaptureReplay> OpenFileReplay(const char* path);

} // namespace packet
