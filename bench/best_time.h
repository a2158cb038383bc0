// Wall-clock timing shared by the benchmarks that compare us with a peer tool in the same run.
#pragma once

#include <algorithm>
#include <chrono>

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

} // namespace bench
