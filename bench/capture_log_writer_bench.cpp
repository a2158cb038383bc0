// The capture log writer's speed: the hex and text layout (log type 0) of every IPv4 datagram of a large
// capture written to a file, beside "tcpdump -nn -X" writing the same capture's hex and text to a file,
// measured in the same run.
#include "best_time.h"
#include "capture/flows/flow_table.h"
#include "capture/log/protocol_names.h"
#include "capture/log/traffic_log.h"
#include "packet/pcap_reader.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kLinkHeader = 14;
// Written into the build by tests/data/generate_large_capture.py.
const std::string kCapture = BRISKLANE_LARGE_CAPTURE;

struct Datagram {
    std::size_t offset;
    uint32_t length;   // IP total length
    uint32_t captured; // bytes present
};

// The capture's IPv4 datagrams (byte 14 is 0x45), copied into one block.
struct Datagrams {
    std::vector<uint8_t> bytes;
    std::vector<Datagram> list;
    uint64_t dumpedBytes = 0; // what the log dumps of them: min(length, captured) each
};

const Datagrams& LoadCapture() {
    static const Datagrams loaded = [] {
        Datagrams d;
        auto source = packet::FileByteSource::Open(kCapture.c_str());
        if (source == nullptr) {
            return d;
        }
        packet::PcapReader reader(std::move(source));
        if (reader.Open() != packet::PcapStatus::Ok) {
            return d;
        }
        packet::PcapRecord record;
        while (reader.Next(record) == packet::PcapStatus::Ok) {
            if (record.capturedLength <= kLinkHeader || record.data[kLinkHeader] != 0x45) {
                continue;
            }
            const uint8_t* ip = record.data + kLinkHeader;
            const uint32_t captured = record.capturedLength - kLinkHeader;
            const uint32_t length = captured >= 4 ? static_cast<uint32_t>(ip[2] << 8 | ip[3]) : 0;
            d.list.push_back({d.bytes.size(), length, captured});
            d.bytes.insert(d.bytes.end(), ip, ip + captured);
            d.dumpedBytes += std::min(length, captured);
        }
        return d;
    }();
    return loaded;
}

// Local time to the millisecond, converting the calendar only when the second changes (as a platform
// clock that keeps the local time would).
capture::LocalTime BenchLocalTime() {
    static thread_local time_t cachedSecond = -1;
    static thread_local std::tm calendar{};
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != cachedSecond) {
        cachedSecond = now.tv_sec;
        localtime_r(&now.tv_sec, &calendar);
    }
    return {calendar.tm_year + 1900,
            calendar.tm_mon + 1,
            calendar.tm_mday,
            calendar.tm_hour,
            calendar.tm_min,
            calendar.tm_sec,
            static_cast<int32_t>(now.tv_nsec / 1000000)};
}

std::string ScratchFile(const char* name) {
    return "/tmp/capture_log_bench_" + std::to_string(getpid()) + "_" + name;
}

// One pass: the whole capture into a fresh log file, as the capture thread would write it.
void WriteLog(const Datagrams& d, const std::string& path) {
    capture::TrafficLog log(std::make_unique<capture::StdioLogSink>(), BenchLocalTime, nullptr);
    capture::SettingsValues settings;
    settings.uselogfile = 1;
    settings.logtype = 0;
    std::snprintf(settings.logfile, sizeof settings.logfile, "%s", path.c_str());
    log.OpenLogFile(settings, "w+");
    for (const Datagram& datagram : d.list) {
        const uint8_t* ip = d.bytes.data() + datagram.offset;
        log.WriteLogRecord(settings, INT32_MAX, ip, datagram.length, datagram.captured,
                           capture::FlowTable::HeaderSize(ip[9]));
    }
    log.CloseLogFile();
}

void BM_LogHexTextLayout(benchmark::State& state) {
    const Datagrams& d = LoadCapture();
    if (d.list.empty()) {
        state.SkipWithError(("cannot read " + kCapture).c_str());
        return;
    }
    FillUnknownProtocolNames();
    const std::string path = ScratchFile("log");
    for (auto _ : state) {
        WriteLog(d, path);
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.dumpedBytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * d.list.size()));
}
BENCHMARK(BM_LogHexTextLayout)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Both writers on the same capture, best of three each, with the ratio.
int CompareWithTcpdump() {
    const Datagrams& d = LoadCapture();
    if (d.list.empty()) {
        std::printf("cannot read %s\n", kCapture.c_str());
        return 1;
    }
    const std::string ours = ScratchFile("log");
    const std::string theirs = ScratchFile("tcpdump");
    const double ourSeconds = bench::BestSecondsOf(3, [&] {
        WriteLog(d, ours);
        return true;
    });
    const std::string command = "tcpdump -nn -X -r '" + kCapture + "' > '" + theirs + "' 2>/dev/null";
    const double tcpdumpSeconds = bench::BestSecondsOfCommand(3, command);
    std::remove(ours.c_str());
    std::remove(theirs.c_str());

    const double datagrams = static_cast<double>(d.list.size());
    const double bytes = static_cast<double>(d.dumpedBytes);
    std::printf("\nhex and text layout of %zu IPv4 datagrams (%.1f MB of datagram bytes) of %s\n", d.list.size(),
                bytes / 1e6, kCapture.c_str());
    std::printf("  log writer (type 0):     %7.3f s  %8.1f MB/s  %10.0f datagrams/s\n", ourSeconds,
                bytes / ourSeconds / 1e6, datagrams / ourSeconds);
    if (tcpdumpSeconds < 0) {
        std::printf("  tcpdump -nn -X -r FILE:  not available, no comparison\n");
        return 0;
    }
    std::printf("  tcpdump -nn -X -r FILE:  %7.3f s  %8.1f MB/s  %10.0f datagrams/s\n", tcpdumpSeconds,
                bytes / tcpdumpSeconds / 1e6, datagrams / tcpdumpSeconds);
    std::printf("  ratio (tcpdump time / log writer time): %.2f\n", tcpdumpSeconds / ourSeconds);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!bench::RunRegisteredBenchmarks(argc, argv)) {
        return 1;
    }
    return CompareWithTcpdump();
}
