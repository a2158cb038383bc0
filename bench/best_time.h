// Shared by the benchmarks that compare us with a peer tool in the same run: wall-clock timing, and the run
// of the registered Google Benchmark cases that comes before the comparison.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

namespace bench {

// The shortest wall time of `runs` calls of `work`, in seconds; -1 as soon as one call reports failure.
template <class Work>
double BestSecondsOf(int runs, Work work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!work()) {
            return -1;
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// The shortest wall time of `runs` runs of a shell command, in seconds; -1 as soon as one fails (a peer tool
// that is missing fails at once).
inline double BestSecondsOfCommand(int runs, const std::string& command) {
    return BestSecondsOf(runs, [&] { return std::system(command.c_str()) == 0; });
}

// Runs the registered cases with the options of the command line; false for an option it does not know.
inline bool RunRegisteredBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return false;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

} // namespace bench
