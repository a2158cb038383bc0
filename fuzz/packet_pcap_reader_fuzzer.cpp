// Fuzzes the packet.dll stand-in's reading of capture files in both formats, chosen by the first bytes as the
// stand-in chooses: classic libpcap headers and record framing, pcapng sections, interfaces, options and
// blocks; and the driver-format records written into receive buffers of changing sizes. Nothing may be read
// beyond the file or written beyond a buffer, and every buffer must walk as whole records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "capture/engine/record_walk.h"
#include "packet/capture_format.h"
#include "packet/capture_replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto reader = packet::CaptureReaderFor(std::make_unique<packet::MemoryByteSource>(data, size));
    if (reader->Open() != packet::PcapStatus::Ok) {
        return 0;
    }
    packet::CaptureReplay replay(std::move(reader));
    // Buffers from too small for any record up to larger than any record.
    const uint32_t capacities[] = {19, 20, 64, 1517, 70000, 300000};
    uint64_t due = 0;
    for (int receive = 0; receive < 64; ++receive) {
        const uint32_t capacity = capacities[receive % 6];
        std::vector<uint8_t> buffer(capacity);
        const packet::ReplayFill fill = replay.Fill(buffer.data(), capacity, due);
        if (fill.bytes > capacity || fill.bytes % 4 != 0) {
            std::abort();
        }
        const capture::RecordWalk walk = capture::WalkCaptureRecords(
            buffer.data(), fill.bytes, 14, [](const uint8_t*, uint32_t, const capture::CaptureRecord&) {});
        if (walk.records != fill.records) {
            std::abort();
        }
        due += 250000;
        if (replay.Exhausted()) {
            break;
        }
    }
    return 0;
}
