#!/usr/bin/env bash
# Builds every configuration and runs every test: native unit tests (sanitizers), Win32 and end-to-end
# tests under Wine on a virtual display, each fuzzer for a bounded time, the benchmarks (which print their
# figures), compiles the 32-bit program, and last writes and tries the release zips. Installs what is
# missing first.
#
#   scripts/test.sh            everything
#   FUZZ_SECONDS=10 scripts/test.sh   shorter fuzzing
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${BRISKLANE_BUILD_DIR:-$root/build}
fuzz_seconds=${FUZZ_SECONDS:-60}
jobs=${BRISKLANE_JOBS:-$(nproc)}

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
brisklane_install_missing

passed=0
failed=0
failures=()
record() { # name, exit status
    if [ "$2" -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$1")
    fi
}
count_ctest() { # name, log file, exit status
    local summary
    summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$2" | tail -1 || true)
    if [ -n "$summary" ]; then
        local total bad
        total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
        bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    fi
    if [ "$3" -ne 0 ]; then
        failures+=("$1")
        [ -n "$summary" ] || failed=$((failed + 1))
    fi
}

cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    if [ -n "${BRISKLANE_XVFB_PID:-}" ]; then kill "$BRISKLANE_XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

configure_and_build() { # config
    echo "== build: $1"
    cmake -S "$root" -B "$build/$1" -G Ninja -DBRISKLANE_CONFIG="$1" >"$build/$1.configure.log" 2>&1 ||
        { cat "$build/$1.configure.log"; return 1; }
    ninja -C "$build/$1" -j "$jobs" >"$build/$1.build.log" 2>&1 || { tail -60 "$build/$1.build.log"; return 1; }
}

mkdir -p "$build"
status=0

# 0. Every C++ file follows the repository's .clang-format.
echo "== format check"
set +e
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror >"$build/format.log" 2>&1
s=$?
set -e
[ "$s" -eq 0 ] || head -40 "$build/format.log"
record "format check" "$s"

# No include cycle among the files of src/.
echo "== include check"
set +e
python3 "$root/scripts/check_includes.py"
s=$?
set -e
record "include check" "$s"

# 1. Native unit tests of the portable core, under the address and undefined-behaviour sanitizers.
if configure_and_build native; then
    echo "== test: native"
    set +e
    ctest --test-dir "$build/native" --output-on-failure -j "$jobs" 2>&1 | tee "$build/native.test.log"
    s=${PIPESTATUS[0]}
    set -e
    count_ctest native "$build/native.test.log" "$s"
else
    record "native build" 1
fi

# 2. The 64-bit program, its Win32 tests and the end-to-end tests, under Wine on a virtual display.
BRISKLANE_FORCE_XVFB=1 brisklane_start_display
if configure_and_build win64; then
    echo "== test: win64 under Wine (display $DISPLAY)"
    brisklane_fresh_prefix "$build/wine-tests"
    set +e
    ctest --test-dir "$build/win64" --output-on-failure -j 1 2>&1 | tee "$build/win64.test.log"
    s=${PIPESTATUS[0]}
    set -e
    count_ctest win64 "$build/win64.test.log" "$s"
    wineserver -k 2>/dev/null || true
else
    record "win64 build" 1
fi

# 3. Fuzzers (libFuzzer, clang, sanitizers), each for a bounded time from its committed corpus.
if configure_and_build fuzz; then
    for fuzzer in "$build"/fuzz/bin/*; do
        [ -x "$fuzzer" ] || continue
        name=$(basename "$fuzzer")
        echo "== fuzz: $name for ${fuzz_seconds}s"
        work=$(mktemp -d)
        seeds=()
        [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
        set +e
        "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            "$work" "${seeds[@]}" >"$build/fuzz-$name.log" 2>&1
        s=$?
        set -e
        grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE)' "$build/fuzz-$name.log" | tail -2 || true
        [ "$s" -eq 0 ] || tail -40 "$build/fuzz-$name.log"
        record "fuzz $name" "$s"
        rm -rf "$work"
    done
else
    record "fuzz build" 1
fi

# 4. Benchmarks (optimised native build): they print their figures and ratios against peer tools.
if configure_and_build bench; then
    for bench in "$build"/bench/bin/*; do
        [ -x "$bench" ] || continue
        echo "== benchmark: $(basename "$bench")"
        set +e
        "$bench" 2>&1 | tee "$build/bench-$(basename "$bench").log"
        s=${PIPESTATUS[0]}
        set -e
        record "benchmark $(basename "$bench")" "$s"
    done
else
    record "bench build" 1
fi

# 5. The 32-bit program: compiled and linked (this machine cannot run 32-bit code).
if configure_and_build win32; then
    record "win32 build" 0
else
    record "win32 build" 1
fi

# 6. Release zips from the builds above, written and checked by scripts/package.sh (each zip's programs
#    for its architecture, no build paths, the same bytes from a second build from scratch); then the
#    64-bit zip is unpacked into a fresh prefix and both programs are started from there.
echo "== release zips"
set +e
scripts/package.sh --reproducible 2>&1 | tee "$build/package.log"
s=${PIPESTATUS[0]}
record "release zips" "$s"
if [ "$s" -eq 0 ]; then
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/win64/CMakeCache.txt")
    tests/e2e/release_zip_test.sh "$build/win64/bin/e2e_release_zip.exe" "dist/brisklane-$version-win64.zip" \
        >"$build/release-zip-test.log" 2>&1
    s=$?
    grep -E '^\[ +(OK|FAILED) +\]' "$build/release-zip-test.log"
    [ "$s" -eq 0 ] || tail -40 "$build/release-zip-test.log"
    record "release zip test" "$s"
fi
set -e

echo
if [ ${#failures[@]} -gt 0 ]; then
    echo "failed: ${failures[*]}"
    status=1
fi
echo "tests: $passed passed, $failed failed"
exit "$status"
