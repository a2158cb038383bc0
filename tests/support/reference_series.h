// The traffic per second of a capture file, worked out by the rules of the shared corpus's README (link
// header 22 on Token Ring, else 14; the byte there 0x45 with at least 24 IP bytes captured; no datagram whose
// protocol's fixed header is not below its total length; bytes are total lengths), binned by the seconds of
// each record's time stamp. It shares no code with the program's reader, walk or table: the series is
// checked against it. Plain C++ for every test level.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <string>

namespace capture_bytes {

struct ReferenceSecond {
    uint64_t datagrams = 0;
    uint64_t bytes = 0;
};
using ReferenceSeconds = std::map<uint64_t, ReferenceSecond>; // the seconds that counted anything

inline ReferenceSeconds ReadReferenceSeconds(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string file(in ? static_cast<size_t>(in.tellg()) : 0, '\0');
    in.seekg(0);
    in.read(file.data(), static_cast<std::streamsize>(file.size()));
    const auto byte = [&file](size_t at) -> uint32_t { return static_cast<uint8_t>(file[at]); };
    const bool bigEndian = !file.empty() && byte(0) == 0xa1;
    const auto word = [&](size_t at) {
        return bigEndian ? byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3)
                         : byte(at + 3) << 24 | byte(at + 2) << 16 | byte(at + 1) << 8 | byte(at);
    };
    ReferenceSeconds seconds;
    const uint32_t link = file.size() >= 24 && word(20) == 6 ? 22 : 14;
    for (size_t at = 24; at + 16 <= file.size() && at + 16 + word(at + 8) <= file.size(); at += 16 + word(at + 8)) {
        const size_t ip = at + 16 + link;
        if (word(at + 8) < link + 24 || byte(ip) != 0x45) {
            continue;
        }
        const uint32_t protocol = byte(ip + 9);
        const uint32_t length = byte(ip + 2) << 8 | byte(ip + 3);
        const uint32_t header = protocol == 6 ? 40 : protocol == 17 || protocol == 2 ? 28 : protocol == 4 ? 20 : 0;
        if (header < length) {
            ++seconds[word(at)].datagrams;
            seconds[word(at)].bytes += length;
        }
    }
    return seconds;
}

// What the series file of those seconds holds: the header, then every second from the first to the last.
inline std::string ReferenceSeriesCsv(const ReferenceSeconds& seconds) {
    std::string csv = "second,datagrams,bytes\n";
    for (uint64_t second = seconds.empty() ? 1 : seconds.begin()->first;
         !seconds.empty() && second <= seconds.rbegin()->first; ++second) {
        const auto found = seconds.find(second);
        const ReferenceSecond counts = found != seconds.end() ? found->second : ReferenceSecond{};
        csv +=
            std::to_string(second) + "," + std::to_string(counts.datagrams) + "," + std::to_string(counts.bytes) + "\n";
    }
    return csv;
}

} // namespace capture_bytes
