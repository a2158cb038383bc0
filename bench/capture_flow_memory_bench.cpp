// What the flow table costs in memory, and that idle removal gives it back. Captures are generated here,
// one UDP datagram per flow: the heap in use per flow and the peak memory of a capture with 1,000,000
// distinct flows against one with 1,000 (each replayed in a process of its own), then a paced replay with
// a 2-second idle time of a steady stream of new flows with a burst in the middle, sampled once a second.
//
// The replay runs the capture path of the program (file reader, driver-format replay into a 1 MiB receive
// buffer, record walk, flow table) on a simulated clock: 10 ms per receive, the periodic update once a
// second, so a paced minute takes well under a second. The view keeps no rows, as the program's owner-data
// list view keeps none: the heap measured is the table's own.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/engine/capture_pass.h"
#include "capture/flows/counting_traffic_view.h"
#include "capture/log/protocol_names.h"
#include "capture/names/services_parser.h"
#include "packet/capture_replay.h"

namespace {

constexpr uint32_t kReceiveBufferBytes = 1048576;
constexpr uint32_t kReceiveMilliseconds = 10;
constexpr uint32_t kNoIdleRemoval = 0xffffffffu;
constexpr uint32_t kPacedIdleMilliseconds = 2000; // idleseconds=2

// Heap bytes in use, malloc's own chunk overhead included.
double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
double StatusBytes(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return 0;
    }
    char line[256];
    double bytes = 0;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            bytes = std::strtod(line + length + 1, nullptr) * 1024;
        }
    }
    std::fclose(status);
    return bytes;
}

double Megabytes(double bytes) {
    return bytes / 1048576;
}

// Writes a classic libpcap file of Ethernet frames, one UDP datagram (4 bytes of payload) per flow. Flow
// i comes from 10.x.y.z = 10.0.0.0 + i, port 1024 + i % 50000, to 192.168.1.1:53, at microsecond
// startMicroseconds(i).
bool WriteFlowCapture(const std::string& path, uint32_t flows,
                      const std::function<uint64_t(uint32_t)>& startMicroseconds) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const uint32_t fileHeader[6] = {0xa1b2c3d4, 2 | 4 << 16, 0, 0, 65535, 1};
    bool ok = std::fwrite(fileHeader, sizeof fileHeader, 1, file) == 1;
    uint8_t frame[46] = {};
    frame[12] = 0x08; // Ethernet type IPv4
    frame[14] = 0x45; // version 4, 20-byte header
    frame[17] = 32;   // total length: IP 20 + UDP 8 + 4
    frame[22] = 64;   // time to live
    frame[23] = 17;   // UDP
    const uint8_t destination[4] = {192, 168, 1, 1};
    std::memcpy(frame + 30, destination, 4);
    frame[36] = 0;
    frame[37] = 53;
    for (uint32_t i = 0; ok && i < flows; ++i) {
        const uint32_t source = (10u << 24) + i;
        const uint32_t port = 1024 + i % 50000;
        const uint8_t sourceBytes[4] = {static_cast<uint8_t>(source >> 24), static_cast<uint8_t>(source >> 16),
                                        static_cast<uint8_t>(source >> 8), static_cast<uint8_t>(source)};
        std::memcpy(frame + 26, sourceBytes, 4);
        frame[34] = static_cast<uint8_t>(port >> 8);
        frame[35] = static_cast<uint8_t>(port);
        const uint64_t at = startMicroseconds(i);
        const uint32_t recordHeader[4] = {static_cast<uint32_t>(at / 1000000), static_cast<uint32_t>(at % 1000000),
                                          sizeof frame, sizeof frame};
        ok = std::fwrite(recordHeader, sizeof recordHeader, 1, file) == 1 &&
             std::fwrite(frame, sizeof frame, 1, file) == 1;
    }
    return std::fclose(file) == 0 && ok;
}

struct ReplayFigures {
    bool ok = false;
    std::size_t rows = 0;     // rows at the end of the replay
    double tableHeap = 0;     // heap the table holds at the end
    double peakTableHeap = 0; // the most it held, sampled after every receive
};

// Called once a simulated second, after the periodic update: the second, the rows, the table's heap.
using SecondSample = std::function<void(uint32_t second, std::size_t rows, double tableHeap)>;

// Replays the file through the capture path. Paced: each receive gets what is due on the simulated clock,
// and the replay goes on until every row has had the time to go idle. Otherwise as fast as possible.
ReplayFigures Replay(const std::string& path, uint32_t idleMilliseconds, bool paced, const SecondSample& sample) {
    ReplayFigures figures;
    const std::unique_ptr<packet::CaptureReplay> replay = packet::OpenFileReplay(path.c_str());
    if (replay == nullptr) {
        return figures;
    }
    std::vector<uint8_t> buffer(kReceiveBufferBytes);

    capture::CountingTrafficView view;
    CServicesParser services("/nonexistent/services");
    capture::SettingsValues settings;
    settings.idleseconds = idleMilliseconds;
    uint32_t now = 0;
    capture::FlowTable table({&view, [&now] { return now; }, nullptr, &services, &settings, nullptr});
    const double emptyHeap = HeapInUse();

    uint32_t drainUntil = 0; // paced: the simulated time by which every row will have gone idle
    for (;;) {
        now += kReceiveMilliseconds;
        const uint64_t due = paced ? uint64_t{now} * 1000 : packet::CaptureReplay::kAllDue;
        const packet::ReplayFill fill = replay->Fill(buffer.data(), kReceiveBufferBytes, due);
        if (fill.bytes != 0) {
            (void)capture::PassReceivedRecords(buffer.data(), fill.bytes, capture::kEthernetHeaderBytes, table);
        }
        if (now % 1000 == 0) {
            table.UpdateTraffic();
            if (sample) {
                sample(now / 1000, table.RowCount(), HeapInUse() - emptyHeap);
            }
        }
        table.FlushIfDue(fill.bytes == 0);
        figures.peakTableHeap = std::max(figures.peakTableHeap, HeapInUse() - emptyHeap);
        if (!replay->Exhausted()) {
            continue;
        }
        if (!paced || idleMilliseconds == kNoIdleRemoval) {
            break;
        }
        if (drainUntil == 0) {
            drainUntil = now + idleMilliseconds + 2000;
        }
        if (now >= drainUntil) {
            break;
        }
    }
    table.Flush();
    figures.ok = replay->ErrorText().empty();
    figures.rows = table.RowCount();
    figures.tableHeap = HeapInUse() - emptyHeap;
    return figures;
}

// Runs work in a child process, so that its peak memory is its own; true when it succeeded.
bool InChildProcess(const std::function<bool()>& work) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        const bool ok = work();
        std::fflush(stdout);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Scenario {
    const char* name;
    uint32_t flows;
};

bool PeakMemory(const std::string& folder) {
    constexpr Scenario kScenarios[] = {{"1,000 flows", 1000}, {"1,000,000 flows", 1000000}};
    std::printf("flow table memory, all at once (no idle removal), each capture in a process of its own:\n");
    std::printf("  %-16s %10s %12s %11s %12s %11s\n", "capture", "rows", "table heap", "bytes/flow", "peak heap",
                "peak RSS");
    double peakRss[2] = {};
    for (int i = 0; i < 2; ++i) {
        const Scenario& scenario = kScenarios[i];
        const std::string path = folder + "/flows-" + std::to_string(scenario.flows) + ".pcap";
        if (!WriteFlowCapture(path, scenario.flows, [](uint32_t flow) { return uint64_t{flow}; })) {
            std::printf("cannot write %s\n", path.c_str());
            return false;
        }
        // The child hands its peak RSS back through a pipe, for the ratio below.
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            return false;
        }
        const bool ok = InChildProcess([&] {
            const ReplayFigures figures = Replay(path, kNoIdleRemoval, false, nullptr);
            const double rss = StatusBytes("VmHWM");
            std::printf("  %-16s %10zu %9.1f MB %11.0f %9.1f MB %8.1f MB\n", scenario.name, figures.rows,
                        Megabytes(figures.tableHeap), figures.tableHeap / static_cast<double>(figures.rows),
                        Megabytes(figures.peakTableHeap), Megabytes(rss));
            return figures.ok && figures.rows == scenario.flows && write(pipeEnds[1], &rss, sizeof rss) == sizeof rss;
        });
        close(pipeEnds[1]);
        const bool got = read(pipeEnds[0], &peakRss[i], sizeof peakRss[i]) == sizeof peakRss[i];
        close(pipeEnds[0]);
        std::remove(path.c_str());
        if (!ok || !got) {
            std::printf("  %s: the replay failed\n", scenario.name);
            return false;
        }
    }
    std::printf("  peak RSS, 1,000,000 flows against 1,000: %.1f MB against %.1f MB (%.0fx)\n", Megabytes(peakRss[1]),
                Megabytes(peakRss[0]), peakRss[1] / peakRss[0]);
    return true;
}

bool IdleRemoval(const std::string& folder) {
    // 2,000 new flows a second for 60 seconds, and 200,000 more all at once at 20 seconds.
    constexpr uint32_t kSteadyFlows = 120000;
    constexpr uint32_t kBurstFlows = 200000;
    constexpr uint64_t kBurstMicroseconds = 20000000;
    const std::string path = folder + "/paced.pcap";
    const bool written = WriteFlowCapture(path, kSteadyFlows + kBurstFlows, [](uint32_t flow) -> uint64_t {
        constexpr uint32_t kBeforeBurst = 40000;
        if (flow < kBeforeBurst) {
            return uint64_t{flow} * 500;
        }
        if (flow < kBeforeBurst + kBurstFlows) {
            return kBurstMicroseconds;
        }
        return uint64_t{flow - kBurstFlows} * 500;
    });
    if (!written) {
        std::printf("cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("\nidle removal, idleseconds=2, paced replay: 2,000 new flows a second for 60 s and a burst of "
                "200,000 at 20 s\n");
    std::printf("  %6s %9s %12s %10s\n", "second", "rows", "table heap", "RSS");
    const bool ok = InChildProcess([&] {
        double beforeBurst = 0;
        double steadyLow = 1e30;
        double steadyHigh = 0;
        const ReplayFigures figures =
            Replay(path, kPacedIdleMilliseconds, true, [&](uint32_t second, std::size_t rows, double tableHeap) {
                if (second == 19) {
                    beforeBurst = tableHeap;
                }
                if (second >= 30 && second <= 60) {
                    steadyLow = std::min(steadyLow, tableHeap);
                    steadyHigh = std::max(steadyHigh, tableHeap);
                }
                if (second % 5 == 0 || (second >= 19 && second <= 24)) {
                    std::printf("  %6u %9zu %9.2f MB %7.1f MB\n", second, rows, Megabytes(tableHeap),
                                Megabytes(StatusBytes("VmRSS")));
                }
            });
        std::printf("  table heap before the burst %.2f MB, at its peak %.2f MB, from 30 s to 60 s %.2f to %.2f MB; "
                    "at the end %zu rows, %.2f MB\n",
                    Megabytes(beforeBurst), Megabytes(figures.peakTableHeap), Megabytes(steadyLow),
                    Megabytes(steadyHigh), figures.rows, Megabytes(figures.tableHeap));
        return figures.ok && figures.rows == 0;
    });
    std::remove(path.c_str());
    return ok;
}

} // namespace

int main() {
    FillUnknownProtocolNames();
    char folderTemplate[] = "/tmp/brisklane-flow-memory.XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (folder == nullptr) {
        std::printf("cannot make a temporary folder\n");
        return 1;
    }
    const bool ok = PeakMemory(folder) && IdleRemoval(folder);
    rmdir(folder);
    return ok ? 0 : 1;
}
