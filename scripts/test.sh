#!/usr/bin/env bash
# Builds every configuration and runs every test: the format and include checks; native unit tests
# (sanitizers); the Win32 and end-to-end tests under Wine, as many programs at a time as there are
# processors, each in a prefix and on a virtual display of its own, then the soak; each fuzzer for a bounded
# time; the benchmarks (which print their figures); the 32-bit program, compiled and linked; every Windows
# target compiled by clang as a second compiler; and the release zips with their test. Installs what is
# missing first, and prints how long each stage took and how many tests passed, were skipped (with the
# reason each gave) and failed. Needs nothing beside the checkout: the test data is in tests/data.
#
#   scripts/test.sh                  everything
#   FUZZ_SECONDS=10 scripts/test.sh  shorter fuzzing
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${BRISKLANE_BUILD_DIR:-$root/build}
fuzz_seconds=${FUZZ_SECONDS:-30}
jobs=${BRISKLANE_JOBS:-$(nproc)}

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
brisklane_install_missing

passed=0
failed=0
skipped=0
failures=()
skips=() # "name: reason" of every test or test case that could not run here
record() { # name, exit status
    if [ "$2" -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$1")
    fi
}
# GoogleTest cases skipped inside a program that passed, with the reason each gave (the line after
# "Skipped"), from a test log.
note_skipped_cases() { # log file
    local line
    while IFS= read -r line; do
        skips+=("$line")
    done < <(awk '/: Skipped$/ { getline reason; next_reason = reason }
                  /^\[  SKIPPED \] [^ ]+ \(/ { print $4 ": " next_reason; next_reason = "" }' "$1" 2>/dev/null)
}
count_ctest() { # name, log file, exit status, CTest's full log (LastTest.log)
    local summary
    summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$2" | tail -1 || true)
    if [ -n "$summary" ]; then
        local total bad not_run name
        total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
        bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
        # "The following tests did not run:" lists the skipped ones, "(Skipped)" each.
        not_run=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$2" || true)
        passed=$((passed + total - bad - not_run))
        failed=$((failed + bad))
        skipped=$((skipped + not_run))
        while read -r name; do
            [ -n "$name" ] || continue
            skips+=("$name: $(grep -A200 -E "^[0-9]+/[0-9]+ Test: $name\$" "$4" | grep -m1 '^SKIPPED: ' |
                sed 's/^SKIPPED: //')")
        done < <(sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/p' "$2")
        note_skipped_cases "$4"
    fi
    if [ "$3" -ne 0 ]; then
        failures+=("$1")
        [ -n "$summary" ] || failed=$((failed + 1))
    fi
}

# Stage times, printed as each stage ends and once more at the end.
stage_names=()
stage_seconds=()
stage_started=0
stage_name=""
stage() { # name of the stage that starts now
    stage_done
    stage_name=$1
    stage_started=$SECONDS
    echo "== $stage_name"
}
stage_done() {
    [ -n "$stage_name" ] || return 0
    stage_names+=("$stage_name")
    stage_seconds+=($((SECONDS - stage_started)))
    echo "   ($stage_name: $((SECONDS - stage_started)) s)"
    stage_name=""
}

configure_and_build() { # config
    cmake -S "$root" -B "$build/$1" -G Ninja -DBRISKLANE_CONFIG="$1" >"$build/$1.configure.log" 2>&1 ||
        { cat "$build/$1.configure.log"; return 1; }
    ninja -C "$build/$1" -j "$jobs" >"$build/$1.build.log" 2>&1 || { tail -60 "$build/$1.build.log"; return 1; }
}

mkdir -p "$build"
status=0
set +e

# 0. Every C++ file follows the repository's .clang-format (clang-format 16: the first Debian's that can
#    insert braces); no include cycle joins the files of src/, and every include between its folders points
#    down the layers of scripts/check_includes.py.
stage "format and include checks"
git ls-files '*.cpp' '*.h' | xargs clang-format-16 --dry-run --Werror >"$build/format.log" 2>&1
s=$?
[ "$s" -eq 0 ] || head -40 "$build/format.log"
record "format check" "$s"
python3 "$root/scripts/check_includes.py"
record "include check" $?
python3 "$root/scripts/check_includes_test.py" >"$build/check-includes-test.log" 2>&1
s=$?
[ "$s" -eq 0 ] || cat "$build/check-includes-test.log"
record "include check's own test" "$s"

# 1. Native unit tests of the portable core, under the address and undefined-behaviour sanitizers.
stage "native: build"
if configure_and_build native; then
    stage "native: tests"
    ctest --test-dir "$build/native" --output-on-failure -j "$jobs" >"$build/native.test.log" 2>&1
    s=$?
    grep -E 'Test +#|tests passed' "$build/native.test.log"
    [ "$s" -eq 0 ] || grep -B2 -A20 -E 'Failure|FAILED' "$build/native.test.log" | head -80
    count_ctest native "$build/native.test.log" "$s" "$build/native/Testing/Temporary/LastTest.log"
else
    record "native build" 1
fi

# 2. The 64-bit program, its Win32 tests and the end-to-end tests under Wine. Every test program gets a
#    prefix of its own, copied from one made here, and a virtual display of its own, so as many run at a
#    time as there are processors.
stage "win64: build"
if configure_and_build win64; then
    stage "win64: Wine prefix and tests"
    brisklane_fresh_prefix "$build/wine-template"
    wineserver -k 2>/dev/null
    unset WINEPREFIX
    export BRISKLANE_PREFIX_TEMPLATE="$build/wine-template"
    ctest --test-dir "$build/win64" --output-on-failure -j "$jobs" >"$build/win64.test.log" 2>&1
    s=$?
    grep -E 'Test +#|tests passed' "$build/win64.test.log"
    [ "$s" -eq 0 ] || grep -B2 -A20 -E 'Failure|FAILED' "$build/win64.test.log" | head -120
    count_ctest win64 "$build/win64.test.log" "$s" "$build/win64/Testing/Temporary/LastTest.log"
    # Long runs after which the process may hold no more than before; alone, so that its pace is its own.
    stage "win64: soak"
    tests/support/run_isolated.sh "$build/win64/bin/win32_soak.exe" --gtest_brief=1 2>&1 | tee "$build/soak.log"
    record soak "${PIPESTATUS[0]}"
    note_skipped_cases "$build/soak.log"
else
    record "win64 build" 1
fi

# 3. Fuzzers (libFuzzer, clang, sanitizers), each for a bounded time from its committed corpus, as many at
#    a time as there are processors.
stage "fuzz: build"
if configure_and_build fuzz; then
    stage "fuzz: ${fuzz_seconds} s each, $jobs at a time"
    fuzz() { # fuzzer; its exit status is its log's last line
        local name work seeds=()
        name=$(basename "$1")
        work=$(mktemp -d)
        [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
        "$1" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            "$work" "${seeds[@]}" >"$build/fuzz-$name.log" 2>&1
        echo "exit $?" >>"$build/fuzz-$name.log"
        rm -rf "$work"
    }
    fuzzers=("$build"/fuzz/bin/*)
    for ((i = 0; i < ${#fuzzers[@]}; i += jobs)); do
        for fuzzer in "${fuzzers[@]:i:jobs}"; do
            fuzz "$fuzzer" &
        done
        wait
    done
    for fuzzer in "${fuzzers[@]}"; do
        name=$(basename "$fuzzer")
        s=$(tail -1 "$build/fuzz-$name.log" | sed -n 's/^exit //p')
        echo "fuzz $name: $(grep -E '^stat::number_of_executed_units' "$build/fuzz-$name.log" | tail -1)"
        [ "$s" = 0 ] || tail -40 "$build/fuzz-$name.log"
        record "fuzz $name" "${s:-1}"
    done
else
    record "fuzz build" 1
fi

# 4. Benchmarks (optimised native build): they print their figures and ratios against peer tools. One at a
#    time, so that none slows another.
stage "benchmarks: build"
if configure_and_build bench; then
    stage "benchmarks"
    for bench in "$build"/bench/bin/*; do
        [ -x "$bench" ] || continue
        echo "-- benchmark: $(basename "$bench")"
        "$bench" 2>&1 | tee "$build/bench-$(basename "$bench").log"
        s=${PIPESTATUS[0]}
        if [ "$s" -eq 77 ]; then # it cannot run here, and has said why on its last line
            skipped=$((skipped + 1))
            skips+=("benchmark $(basename "$bench"): $(tail -1 "$build/bench-$(basename "$bench").log")")
        else
            record "benchmark $(basename "$bench")" "$s"
        fi
    done
else
    record "bench build" 1
fi

# 5. The 32-bit program: compiled and linked (this machine cannot run 32-bit code).
stage "win32: build"
configure_and_build win32
record "win32 build" $?

# 6. A second compiler: clang 16 compiles every Windows target of the 64-bit build with the same warnings
#    as errors (compiled only; the link steps just mark their targets made).
stage "win64-clang: compile"
configure_and_build win64-clang
record "win64 compiled by clang" $?

# 7. Release zips from the builds above, written and checked by scripts/package.sh (each zip's programs
#    for its architecture, no build paths, the same bytes from a second build from scratch); then the
#    64-bit zip is unpacked into a fresh prefix and both programs are started from there.
stage "release zips"
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
stage_done

echo
echo "stage times:"
for i in "${!stage_names[@]}"; do
    printf '  %-40s %5d s\n' "${stage_names[$i]}" "${stage_seconds[$i]}"
done
printf '  %-40s %5d s\n' "all" "$SECONDS"
if [ ${#failures[@]} -gt 0 ]; then
    echo "failed: ${failures[*]}"
    status=1
fi
if [ ${#skips[@]} -gt 0 ]; then
    echo "skipped here, each with its reason:"
    printf '  %s\n' "${skips[@]}"
fi
echo "tests: $passed passed, $skipped skipped, $failed failed" \
    "(and $((${#skips[@]} - skipped)) test cases skipped inside programs that passed)"
exit "$status"
