// A builder of pcapng captures for the cases no capture tool writes: sections in either byte order, several
// sections and interfaces, time resolutions, blocks a reader passes over, and damaged blocks. Plain C++:
// the native, Win32 and end-to-end tests all use it.
#pragma once

#include <cstdint>
#include <optional>

#include "capture_bytes.h"

namespace pcapng_bytes {

using capture_bytes::Append16;
using capture_bytes::Append32;
using capture_bytes::Bytes;

struct InterfaceOptions {
    uint16_t linkType = 1;
    uint32_t snapLength = 0;                   // 0: no limit
    std::optional<uint8_t> resolution = {};    // if_tsresol
    std::optional<int64_t> offsetSeconds = {}; // if_tsoffset
};

// Appends blocks in the byte order of the section being written; bytes holds the capture so far.
class Capture {
public:
    // A Section Header Block, whose byte order holds for the blocks after it.
    Capture& Section(bool bigEndian = false, uint16_t major = 1) {
        m_bigEndian = bigEndian;
        Bytes body;
        Append32(body, 0x1a2b3c4d, m_bigEndian);
        Append16(body, major, m_bigEndian);
        Append16(body, 0, m_bigEndian);
        Append32(body, 0xffffffff, m_bigEndian); // section length: not given
        Append32(body, 0xffffffff, m_bigEndian);
        return Block(0x0a0d0d0a, body);
    }

    Capture& Interface(const InterfaceOptions& options = {}) {
        Bytes body;
        Append16(body, options.linkType, m_bigEndian);
        Append16(body, 0, m_bigEndian);
        Append32(body, options.snapLength, m_bigEndian);
        if (options.resolution) {
            Option(body, 9, {*options.resolution});
        }
        if (options.offsetSeconds) {
            Bytes value;
            const auto offset = static_cast<uint64_t>(*options.offsetSeconds);
            if (m_bigEndian) {
                Append32(value, static_cast<uint32_t>(offset >> 32), true);
                Append32(value, static_cast<uint32_t>(offset), true);
            } else {
                Append32(value, static_cast<uint32_t>(offset));
                Append32(value, static_cast<uint32_t>(offset >> 32));
            }
            Option(body, 14, value);
        }
        Option(body, 0, {});
        return Block(1, body);
    }

    // An Enhanced Packet Block: time stamp in the interface's units; wire 0 = the data's length.
    Capture& Enhanced(uint32_t interfaceId, uint64_t units, const Bytes& data, uint32_t wire = 0) {
        Bytes body;
        Append32(body, interfaceId, m_bigEndian);
        return Block(6, PacketBody(body, units, data, wire));
    }

    // The obsolete Packet Block: a 16-bit interface ID and a drop count.
    Capture& Obsolete(uint16_t interfaceId, uint64_t units, const Bytes& data) {
        Bytes body;
        Append16(body, interfaceId, m_bigEndian);
        Append16(body, 0, m_bigEndian);
        return Block(2, PacketBody(body, units, data, 0));
    }

    // A Simple Packet Block: interface 0, no time stamp; the data are the frame cut to the snap length.
    Capture& Simple(const Bytes& data, uint32_t wire = 0) {
        Bytes body;
        Append32(body, wire != 0 ? wire : static_cast<uint32_t>(data.size()), m_bigEndian);
        body.insert(body.end(), data.begin(), data.end());
        return Block(3, body);
    }

    // Any block: type, length, the body padded to 4 bytes, the length again.
    Capture& Block(uint32_t type, Bytes body) {
        while (body.size() % 4 != 0) {
            body.push_back(0);
        }
        const auto length = static_cast<uint32_t>(body.size() + 12);
        Append32(bytes, type, m_bigEndian);
        Append32(bytes, length, m_bigEndian);
        bytes.insert(bytes.end(), body.begin(), body.end());
        Append32(bytes, length, m_bigEndian);
        return *this;
    }

    // The 32-bit field at a byte offset, in the order of the section being written (to damage it).
    void Put32(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (m_bigEndian ? 24 - 8 * i : 8 * i));
        }
    }

    Bytes bytes;

private:
    void Option(Bytes& body, uint16_t code, const Bytes& value) {
        Append16(body, code, m_bigEndian);
        Append16(body, static_cast<uint16_t>(value.size()), m_bigEndian);
        body.insert(body.end(), value.begin(), value.end());
        while (body.size() % 4 != 0) {
            body.push_back(0);
        }
    }

    Bytes PacketBody(Bytes body, uint64_t units, const Bytes& data, uint32_t wire) {
        Append32(body, static_cast<uint32_t>(units >> 32), m_bigEndian);
        Append32(body, static_cast<uint32_t>(units), m_bigEndian);
        Append32(body, static_cast<uint32_t>(data.size()), m_bigEndian);
        Append32(body, wire != 0 ? wire : static_cast<uint32_t>(data.size()), m_bigEndian);
        body.insert(body.end(), data.begin(), data.end());
        while (body.size() % 4 != 0) {
            body.push_back(0);
        }
        Option(body, 0, {});
        return body;
    }

    bool m_bigEndian = false;
};

// A real capture converted by editcap at test time (tests/support/pcapng_corpus.sh), by name without
// ".pcap"; BRISKLANE_PCAPNG_DIR names the folder.
#ifdef BRISKLANE_PCAPNG_DIR
inline std::string CorpusFile(const std::string& name) {
    return std::string(BRISKLANE_PCAPNG_DIR) + "/" + name + ".pcapng";
}
#endif

} // namespace pcapng_bytes
