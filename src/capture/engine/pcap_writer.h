// Saves what a capture received as a classic libpcap file (microsecond time stamps), which tcpdump and
// packet analysers open: every record of every receive buffer, as the library delivered it. The file only
// ever grows by whole records, so that a capture killed outright leaves a file that reads to its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/engine/output_file.h"

namespace capture {

class PcapWriter {
public:
    PcapWriter() = default;
    PcapWriter(const PcapWriter&) = delete;
    PcapWriter& operator=(const PcapWriter&) = delete;

    // Creates (or empties) the file and writes its header with the link type (libpcap numbering) at once.
    // False with a sentence in error when the file cannot be written.
    [[nodiscard]] bool Open(const std::string& path, uint32_t linkType, std::string& error);
    bool IsOpen() const { return m_file.IsOpen(); }

    // Appends every whole record of a receive buffer in the library's format, in one write: what a
    // capture received is in the file as soon as it has been received.
    void WriteReceived(const uint8_t* buffer, uint32_t received);

    // Closes the file; false when any write failed, with a sentence in error. True when nothing is open.
    [[nodiscard]] bool Close(std::string& error);

    const std::string& Path() const { return m_file.Path(); }

private:
    void Append(const void* bytes, std::size_t size);
    void Flush();

    OutputFile m_file;
    std::vector<uint8_t> m_held; // the whole records of the receive in hand
};

} // namespace capture
