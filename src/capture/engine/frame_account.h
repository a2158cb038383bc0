// The account of every frame of a capture: how many were read, how many counted, and how many skipped for
// which reason, by the record walk's and the flow table's own rules.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "capture/engine/capture_pass.h"

namespace capture {

// One look at the account. read = counted + Skipped() once the capture thread has finished (while it runs,
// a look may fall between its updates), and as long as counted has not wrapped.
struct FrameFigures {
    uint64_t read = 0;    // every record: walked by the engine, or left out by the library
    uint32_t counted = 0; // the status line's datagram count (packetCount, which wraps at 2^32)
    uint64_t notIpv4 = 0; // not IPv4 with a plain 20-byte header at the link offset
    uint64_t tooShort = 0;
    uint64_t headerNotBelowLength = 0; // ignored: the total length not above the protocol's header size
    uint64_t filteredOut = 0;          // the protocol is switched off in the settings
    uint64_t otherLinkType = 0;        // left out by the library: another link type than the adapter's

    uint64_t Skipped() const { return notIpv4 + tooShort + headerNotBelowLength + filteredOut + otherLinkType; }
};

// Written by the capture thread once per receive, read by any thread.
class FrameAccount {
public:
    // A capture starts: every figure goes to 0.
    void Reset();
    void Add(const PassFigures& pass);
    // The library's own count of the records it left out, as it stands now.
    void SetOtherLinkType(uint64_t records);
    // The figures, with counted as the status line shows it.
    FrameFigures Figures(uint32_t counted) const;

private:
    std::atomic<uint64_t> m_walked{0};
    std::atomic<uint64_t> m_notIpv4{0};
    std::atomic<uint64_t> m_tooShort{0};
    std::atomic<uint64_t> m_headerNotBelowLength{0};
    std::atomic<uint64_t> m_filteredOut{0};
    std::atomic<uint64_t> m_otherLinkType{0};
};

// "Frames: R read, D counted, S skipped (A not IPv4 at the link offset, B too short, C ignored (header not
// below length), E filtered out, F other link type)": the console's line after the status line.
std::string FormatFramesLine(const FrameFigures& figures);

// The same figures, shorter, for the window's status line: "Frames: R read, S skipped", then the reasons
// that are not 0 in brackets. The datagrams counted are the totals' own part.
std::string FormatFramesShort(const FrameFigures& figures);

} // namespace capture
