// Builders of test bytes (IPv4 datagrams, link frames, driver receive buffers, libpcap files) and the
// reference tables of the test captures. Plain C++: the native, Win32 and end-to-end tests all use it.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace capture_bytes {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& out, size_t at, uint16_t value) { // big-endian, as on the wire
    out[at] = static_cast<uint8_t>(value >> 8);
    out[at + 1] = static_cast<uint8_t>(value);
}

inline void Append32(Bytes& out, uint32_t value, bool bigEndian = false) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 24 - 8 * i : 8 * i;
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

inline void Append16(Bytes& out, uint16_t value, bool bigEndian = false) {
    out.push_back(static_cast<uint8_t>(bigEndian ? value >> 8 : value));
    out.push_back(static_cast<uint8_t>(bigEndian ? value : value >> 8));
}

// An address a.b.c.d written 0xaabbccdd, as the 32-bit value its header bytes make in memory.
inline uint32_t AsStored(uint32_t address) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                              static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

// An IPv4 datagram with a 20-byte header: total length field, protocol, addresses (a.b.c.d as 0xaabbccdd)
// and the two words after the header. present bytes are stored (0 = as many as the total length).
inline Bytes Datagram(uint8_t protocol, uint16_t totalLength, uint32_t source, uint32_t destination, uint16_t word1,
                      uint16_t word2, size_t present = 0) {
    Bytes bytes(totalLength < 24 ? 24 : totalLength, 0);
    bytes[0] = 0x45;
    Put16(bytes, 2, totalLength);
    bytes[8] = 64;
    bytes[9] = protocol;
    for (int i = 0; i < 4; ++i) {
        bytes[12 + i] = static_cast<uint8_t>(source >> (24 - 8 * i));
        bytes[16 + i] = static_cast<uint8_t>(destination >> (24 - 8 * i));
    }
    Put16(bytes, 20, word1);
    Put16(bytes, 22, word2);
    if (present != 0) {
        bytes.resize(present);
    }
    return bytes;
}

// The datagram behind a link header of the given length (Ethernet 14 with type 0x0800, or Token Ring 22).
inline Bytes Frame(const Bytes& datagram, uint32_t linkHeaderLength = 14) {
    Bytes frame(linkHeaderLength, 0xaa);
    if (linkHeaderLength == 14) {
        frame[12] = 0x08;
        frame[13] = 0x00;
    }
    frame.insert(frame.end(), datagram.begin(), datagram.end());
    return frame;
}

// A receive buffer of driver records (20-byte headers, records at multiples of 4).
inline Bytes DriverBuffer(const std::vector<Bytes>& frames) {
    Bytes buffer;
    for (const Bytes& frame : frames) {
        Append32(buffer, 1);
        Append32(buffer, 2);
        Append32(buffer, static_cast<uint32_t>(frame.size()));
        Append32(buffer, static_cast<uint32_t>(frame.size()));
        Append16(buffer, 20);
        Append16(buffer, 0);
        buffer.insert(buffer.end(), frame.begin(), frame.end());
        while (buffer.size() % 4 != 0) {
            buffer.push_back(0);
        }
    }
    return buffer;
}

struct PcapFrame {
    uint32_t seconds = 0;
    uint32_t fraction = 0; // micro- or nanoseconds, as the file says
    Bytes bytes;
    uint32_t wireLength = 0; // 0 = bytes.size()
};

struct PcapOptions {
    bool bigEndian = false;
    bool nanosecond = false;
    uint32_t linkType = 1;
    uint32_t snapLength = 65535;
    uint16_t versionMajor = 2;
};

inline Bytes PcapFile(const std::vector<PcapFrame>& frames, const PcapOptions& options = {}) {
    Bytes file;
    Append32(file, options.nanosecond ? 0xa1b23c4d : 0xa1b2c3d4, options.bigEndian);
    Append16(file, options.versionMajor, options.bigEndian);
    Append16(file, 4, options.bigEndian);
    Append32(file, 0, options.bigEndian);
    Append32(file, 0, options.bigEndian);
    Append32(file, options.snapLength, options.bigEndian);
    Append32(file, options.linkType, options.bigEndian);
    for (const PcapFrame& frame : frames) {
        Append32(file, frame.seconds, options.bigEndian);
        Append32(file, frame.fraction, options.bigEndian);
        Append32(file, static_cast<uint32_t>(frame.bytes.size()), options.bigEndian);
        Append32(file, frame.wireLength != 0 ? frame.wireLength : static_cast<uint32_t>(frame.bytes.size()),
                 options.bigEndian);
        file.insert(file.end(), frame.bytes.begin(), frame.bytes.end());
    }
    return file;
}

// The frames of an Ethernet capture behind 22-byte Token Ring headers (access control, frame control,
// addresses, LLC/SNAP carrying the Ethernet type), in a capture of link type 6. Little-endian files only.
inline Bytes AsTokenRing(const Bytes& ethernet) {
    Bytes out(ethernet.begin(), ethernet.begin() + 24);
    out[20] = 6;
    out[21] = out[22] = out[23] = 0;
    size_t at = 24;
    while (at + 16 <= ethernet.size()) {
        uint32_t captured;
        uint32_t wire;
        std::memcpy(&captured, &ethernet[at + 8], 4);
        std::memcpy(&wire, &ethernet[at + 12], 4);
        const uint8_t* frame = &ethernet[at + 16];
        Bytes tokenRing = {0x10, 0x40};
        if (captured >= 14) {
            tokenRing.insert(tokenRing.end(), frame, frame + 12);
            tokenRing.insert(tokenRing.end(), {0xaa, 0xaa, 0x03, 0x00, 0x00, 0x00, frame[12], frame[13]});
            tokenRing.insert(tokenRing.end(), frame + 14, frame + captured);
        } else {
            tokenRing.insert(tokenRing.end(), frame, frame + captured);
        }
        out.insert(out.end(), &ethernet[at], &ethernet[at + 8]); // time stamp
        Append32(out, static_cast<uint32_t>(tokenRing.size()));
        Append32(out, wire + 8);
        out.insert(out.end(), tokenRing.begin(), tokenRing.end());
        at += 16 + captured;
    }
    return out;
}

// The captures and their reference tables. The real ones are in the repository's data folder; the large one
// is written into the build with its expected figures (BRISKLANE_LARGE_CAPTURE names its .pcap) and is found
// by its name all the same.
inline std::string LargeCaptureName() {
    const std::string path = BRISKLANE_LARGE_CAPTURE;
    const size_t slash = path.rfind('/');
    return path.substr(slash + 1, path.rfind(".pcap") - slash - 1);
}

inline std::string DataFile(const std::string& name) {
    const std::string large = LargeCaptureName();
    if (name.compare(0, large.size() + 1, large + ".") == 0) {
        const std::string path = BRISKLANE_LARGE_CAPTURE;
        return path.substr(0, path.rfind('/') + 1) + name;
    }
    return std::string(BRISKLANE_DATA_DIR) + "/pcap/" + name;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// NAME.totals.txt as key=value pairs.
inline std::map<std::string, uint64_t> ReadTotals(const std::string& captureName) {
    std::map<std::string, uint64_t> totals;
    std::istringstream in(ReadText(DataFile(captureName + ".totals.txt")));
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            totals[line.substr(0, equals)] = std::stoull(line.substr(equals + 1));
        }
    }
    return totals;
}

// NAME.flows.csv without its last column (truncated_packets), lines as "src,dst,sport,dport,proto,packets,bytes".
inline std::vector<std::string> ReadFlows(const std::string& captureName) {
    std::vector<std::string> rows;
    std::istringstream in(ReadText(DataFile(captureName + ".flows.csv")));
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        if (!line.empty()) {
            rows.push_back(line.substr(0, line.rfind(',')));
        }
    }
    return rows;
}

// "All packets: N     Total bytes: M", as the status window shows the totals.
inline std::string StatusLine(uint64_t packets, uint64_t bytes) {
    return "All packets: " + std::to_string(packets) + "     Total bytes: " + std::to_string(bytes);
}

// The reference totals of a capture as the status line.
inline std::string ReferenceStatusLine(const std::string& captureName) {
    const auto totals = ReadTotals(captureName);
    return StatusLine(totals.at("packetCount"), totals.at("totalBytes"));
}

// The reference flows with the CSV header, as the flows of a capture are printed.
inline std::string ReferenceFlowCsv(const std::string& captureName) {
    std::string csv = "src,dst,sport,dport,proto,packets,bytes\n";
    for (const std::string& line : ReadFlows(captureName)) {
        csv += line + "\n";
    }
    return csv;
}

// Every real capture of the data folder, by name without ".pcap" (the generated large one is not among them).
inline std::vector<std::string> SharedCaptures() {
    std::vector<std::string> names;
    std::istringstream in(ReadText(DataFile("SHA256SUMS")));
    std::string line;
    while (std::getline(in, line)) {
        const size_t dot = line.rfind(".pcap");
        const size_t space = line.find_last_of(" *");
        if (dot != std::string::npos && space != std::string::npos && space < dot) {
            names.push_back(line.substr(space + 1, dot - space - 1));
        }
    }
    return names;
}

} // namespace capture_bytes
