// The traffic per second of a shared capture, worked out from the file itself by the rules of the corpus's
// README (link header 22 on Token Ring, else 14; the byte there 0x45 and at least 24 IP bytes captured; no
// datagram whose protocol's fixed header is not below its total length; bytes are total lengths), binned by
// the seconds of each record's time stamp. It shares no code with the program's reader, walk or table: it is
// what the series is checked against. Plain C++ for every test level.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <string>

#include "capture_bytes.h"

namespace capture_bytes {

struct ReferenceSecond {
    uint64_t datagrams = 0;
    uint64_t bytes = 0;
};

using ReferenceSeconds = std::map<uint64_t, ReferenceSecond>;

// The seconds of a capture file that counted anything; empty for a file that is no capture.
inline ReferenceSeconds ReadReferenceSeconds(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string file(in ? static_cast<size_t>(in.tellg()) : 0, '\0');
    in.seekg(0);
    in.read(file.data(), static_cast<std::streamsize>(file.size()));
    ReferenceSeconds seconds;
    if (file.size() < 24) {
        return seconds;
    }
    const auto byte = [&file](size_t at) { return static_cast<uint8_t>(file[at]); };
    const bool bigEndian = byte(0) == 0xa1;
    const auto word = [&](size_t at) {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint32_t b = byte(at + static_cast<size_t>(i));
            value |= b << (bigEndian ? 24 - 8 * i : 8 * i);
        }
        return value;
    };
    const uint32_t linkHeader = word(20) == 6 ? 22 : 14;
    for (size_t at = 24; at + 16 <= file.size();) {
        const uint32_t captured = word(at + 8);
        const size_t frame = at + 16;
        if (frame + captured > file.size()) {
            break;
        }
        if (captured >= linkHeader + 24 && byte(frame + linkHeader) == 0x45) {
            const size_t ip = frame + linkHeader;
            const uint8_t protocol = byte(ip + 9);
            const uint32_t length = static_cast<uint32_t>(byte(ip + 2)) << 8 | byte(ip + 3);
            const uint32_t header = protocol == 6 ? 40 : protocol == 17 || protocol == 2 ? 28 : protocol == 4 ? 20 : 0;
            if (header < length) {
                ReferenceSecond& second = seconds[word(at)];
                ++second.datagrams;
                second.bytes += length;
            }
        }
        at = frame + captured;
    }
    return seconds;
}

// What the series file of those seconds holds: the header, then every second from the first to the last,
// those without traffic as 0.
inline std::string ReferenceSeriesCsv(const ReferenceSeconds& seconds) {
    std::string csv = "second,datagrams,bytes\n";
    if (seconds.empty()) {
        return csv;
    }
    for (uint64_t second = seconds.begin()->first; second <= seconds.rbegin()->first; ++second) {
        const auto found = seconds.find(second);
        const ReferenceSecond counts = found != seconds.end() ? found->second : ReferenceSecond{};
        csv +=
            std::to_string(second) + "," + std::to_string(counts.datagrams) + "," + std::to_string(counts.bytes) + "\n";
    }
    return csv;
}

} // namespace capture_bytes
