// The capture path's speed without the platform: the stand-in's file reading and driver-format replay into
// a 1 MiB receive buffer, the record walk, and the flow table with an in-memory view (log off), over the
// generated large capture; beside "tcpdump -nn -q -r FILE" reading the same file, measured in the same run. The
// same capture converted to pcapng by editcap (at run time, into a temporary folder) beside its classic form;
// and what the per-second series (which the window's graph draws) adds to it.
//
//   capture_pipeline_bench                 Google Benchmark figures, then the comparison with tcpdump
//   capture_pipeline_bench --seconds-only  only the best time of the pipeline, in seconds (for scripts)
#include "best_time.h"
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/engine/capture_pass.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/log/protocol_names.h"
#include "capture/names/services_parser.h"
#include "capture/series/traffic_series.h"
#include "packet/capture_replay.h"
#include "packet/link_types.h"

namespace {

// Written into the build by tests/data/generate_large_capture.py.
const std::string kCapture = BRISKLANE_LARGE_CAPTURE;
constexpr uint32_t kReceiveBufferBytes = 1048576;

struct PassResult {
    bool ok = false;
    uint32_t datagrams = 0;
    std::size_t flows = 0;
};

// One capture of the whole file, as the capture thread would run it against the stand-in; with a series, that
// listens too.
PassResult CaptureFile(std::vector<uint8_t>& receiveBuffer, const std::string& file = kCapture,
                       capture::TrafficSeries* series = nullptr) {
    PassResult result;
    const std::unique_ptr<packet::CaptureReplay> replay = packet::OpenFileReplay(file.c_str());
    if (replay == nullptr) {
        return result;
    }
    const uint32_t linkHeader =
        capture::LinkHeaderLengthForMedium(packet::NdisMediumForLinkType(replay->Header().linkType));

    packetCount = 0;
    totalBytes = 0;
    capture::MemoryTrafficView view;
    CServicesParser services("/nonexistent/services");
    capture::SettingsValues settings;
    settings.idleseconds = 0xffffffffu;
    uint32_t now = 0;
    capture::FlowTable table({&view, [&now] { return now; }, nullptr, &services, &settings, nullptr});
    if (series != nullptr) {
        series->Reset();
        table.AddListener(series);
    }
    for (;;) {
        const packet::ReplayFill fill =
            replay->Fill(receiveBuffer.data(), kReceiveBufferBytes, packet::CaptureReplay::kAllDue);
        if (fill.bytes == 0) {
            break;
        }
        (void)capture::PassReceivedRecords(receiveBuffer.data(), fill.bytes, linkHeader, table);
        now += 40; // as a receive of a busy network might take; the view refreshes every few receives
        table.FlushIfDue(false);
    }
    table.FlushIfDue(true);
    result.ok = replay->ErrorText().empty();
    result.datagrams = packetCount;
    result.flows = table.RowCount();
    return result;
}

void BM_CapturePipeline(benchmark::State& state) {
    FillUnknownProtocolNames();
    std::vector<uint8_t> buffer(kReceiveBufferBytes);
    PassResult result;
    for (auto _ : state) {
        result = CaptureFile(buffer);
        if (!result.ok) {
            state.SkipWithError(("cannot read " + kCapture).c_str());
            return;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * result.datagrams));
    state.counters["flows"] = static_cast<double>(result.flows);
}
BENCHMARK(BM_CapturePipeline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The per-second series alone: about as many datagrams as the large capture holds, over ten seconds.
void BM_TrafficSeries(benchmark::State& state) {
    constexpr uint64_t kDatagrams = 242735;
    constexpr uint64_t kStart = 1'796'710'347'000'000;
    capture::TrafficSeries series;
    const capture::FlowRow row{};
    for (auto _ : state) {
        series.Reset();
        for (uint64_t i = 0; i < kDatagrams; ++i) {
            series.OnCounted(row, 100, kStart + i * 10'000'000 / kDatagrams);
        }
        benchmark::DoNotOptimize(series.Total());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kDatagrams));
}
BENCHMARK(BM_TrafficSeries)->Unit(benchmark::kMillisecond);

double PipelineSeconds(PassResult& result, const std::string& capture = kCapture) {
    FillUnknownProtocolNames();
    std::vector<uint8_t> buffer(kReceiveBufferBytes);
    return bench::BestSecondsOf(5, [&] {
        result = CaptureFile(buffer, capture);
        return result.ok;
    });
}

// A temporary folder holding the capture converted to pcapng by editcap; removed with it.
class PcapngCopy {
public:
    explicit PcapngCopy(const std::string& capture) {
        char folder[] = "/tmp/brisklane-bench-XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            return;
        }
        m_folder = folder;
        const std::string path = m_folder + "/" + std::filesystem::path(capture).stem().string() + ".pcapng";
        const std::string command = "editcap -F pcapng '" + capture + "' '" + path + "' > /dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            m_path = path;
        }
    }
    ~PcapngCopy() {
        if (!m_folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_folder, ignored);
        }
    }
    PcapngCopy(const PcapngCopy&) = delete;
    PcapngCopy& operator=(const PcapngCopy&) = delete;
    // Empty when editcap is missing or failed.
    const std::string& Path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_path;
};

// Has the file's pages read back from the disk at its next reading. A file just written is cached in other
// pieces than one read back from the disk, which alone changes its reading time by a fifth either way: the
// two forms are compared as both sit in the cache after a reading from the disk.
void ReadBackFromDisk(const std::string& path) {
    const int file = open(path.c_str(), O_RDONLY);
    if (file >= 0) {
        (void)fsync(file); // written pages must reach the disk before the cache may let them go
        (void)posix_fadvise(file, 0, 0, POSIX_FADV_DONTNEED);
        (void)close(file);
    }
}

// The same path over the capture in pcapng form against its classic form. The two are timed in turns, best of
// 15 each, so that a load that comes and goes on the machine weighs on both alike.
void CompareWithPcapng(const PassResult& classic) {
    const PcapngCopy copy(kCapture);
    if (copy.Path().empty()) {
        std::printf("  pcapng form (editcap -F pcapng):   editcap not available or failed, no comparison\n");
        return;
    }
    ReadBackFromDisk(kCapture);
    ReadBackFromDisk(copy.Path());
    std::vector<uint8_t> buffer(kReceiveBufferBytes);
    PassResult result;
    double classicSeconds = 1e30;
    double pcapngSeconds = 1e30;
    for (int round = 0; round < 15 && pcapngSeconds >= 0; ++round) {
        classicSeconds = std::min(classicSeconds, bench::BestSecondsOf(1, [&] { return CaptureFile(buffer).ok; }));
        pcapngSeconds = std::min(pcapngSeconds, bench::BestSecondsOf(1, [&] {
                                     result = CaptureFile(buffer, copy.Path());
                                     return result.ok;
                                 }));
    }
    if (pcapngSeconds < 0 || result.datagrams != classic.datagrams || result.flows != classic.flows) {
        std::printf("  pcapng form: FAILED (%u datagrams, %zu flows)\n", result.datagrams, result.flows);
        return;
    }
    std::printf("  classic and pcapng form, in turns:  %7.3f s and %.3f s\n", classicSeconds, pcapngSeconds);
    std::printf("  ratio (pcapng time / classic time): %.2f    (target: at most 1.2: %s)\n",
                pcapngSeconds / classicSeconds, pcapngSeconds <= 1.2 * classicSeconds ? "met" : "NOT met");
}

int CompareWithTcpdump() {
    PassResult result;
    const double ourSeconds = PipelineSeconds(result);
    if (ourSeconds < 0) {
        std::printf("cannot read %s\n", kCapture.c_str());
        return 1;
    }
    const std::string command = "tcpdump -nn -q -r '" + kCapture + "' > /dev/null 2>&1";
    const double tcpdumpSeconds = bench::BestSecondsOfCommand(3, command);

    const double datagrams = result.datagrams;
    std::printf("\ncapture path over %s: %u datagrams, %zu flows\n", kCapture.c_str(), result.datagrams, result.flows);
    std::printf("  reader, replay, walk, flow table:  %7.3f s  %12.0f datagrams/s\n", ourSeconds,
                datagrams / ourSeconds);
    CompareWithPcapng(result);
    // Taken in turns, so that whatever else the machine does weighs on both alike.
    capture::TrafficSeries series;
    std::vector<uint8_t> buffer(kReceiveBufferBytes);
    double without = 1e30;
    double with = 1e30;
    for (int round = 0; round < 9; ++round) {
        without = std::min(without, bench::BestSecondsOf(1, [&] { return CaptureFile(buffer).ok; }));
        with = std::min(with, bench::BestSecondsOf(1, [&] { return CaptureFile(buffer, kCapture, &series).ok; }));
    }
    std::printf("  per-second series added, in turns:  %7.3f s against %.3f s  (%+.1f %%)\n", with, without,
                100 * (with / without - 1));
    if (tcpdumpSeconds < 0) {
        std::printf("  tcpdump -nn -q -r FILE:            not available, no comparison\n");
        return 0;
    }
    std::printf("  tcpdump -nn -q -r FILE:            %7.3f s  %12.0f datagrams/s\n", tcpdumpSeconds,
                datagrams / tcpdumpSeconds);
    std::printf("  ratio (tcpdump time / our time):   %.1f\n", tcpdumpSeconds / ourSeconds);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--seconds-only") == 0) {
        PassResult result;
        const double seconds = PipelineSeconds(result);
        std::printf("%.6f\n", seconds);
        return seconds < 0 ? 1 : 0;
    }
    if (!bench::RunRegisteredBenchmarks(argc, argv)) {
        return 1;
    }
    return CompareWithTcpdump();
}
