// The capture path's speed without the platform: the stand-in's file reading and driver-format replay into
// a 1 MiB receive buffer, the record walk, and the flow table with an in-memory view (log off), over the
// generated large capture; beside "tcpdump -nn -q -r FILE" reading the same file, measured in the same run.
//
//   capture_pipeline_bench                 Google Benchmark figures, then the comparison with tcpdump
//   capture_pipeline_bench --seconds-only  only the best time of the pipeline, in seconds (for scripts)
#include "best_time.h"
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "capture/engine/capture_pass.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/log/protocol_names.h"
#include "capture/names/services_parser.h"
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

// One capture of the whole file, as the capture thread would run it against the stand-in.
PassResult CaptureFile(std::vector<uint8_t>& receiveBuffer) {
    PassResult result;
    const std::unique_ptr<packet::CaptureReplay> replay = packet::OpenFileReplay(kCapture.c_str());
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

double PipelineSeconds(PassResult& result) {
    FillUnknownProtocolNames();
    std::vector<uint8_t> buffer(kReceiveBufferBytes);
    return bench::BestSecondsOf(5, [&] {
        result = CaptureFile(buffer);
        return result.ok;
    });
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
