#!/usr/bin/env bash
# Builds the DXF reader's fuzz target with clang (libFuzzer + ASan + UBSan) and runs it for
# a bounded time on a seed corpus of drawings this host writes. Exits non-zero when the
# fuzzer finds a crash, a leak, a hang (over 10 s for one input) or a host left unclean;
# the failing input is then in the build folder (crash-*, leak-*, timeout-*). The fuzzer's
# own output goes to fuzz.log there and is shown only when it found something.
#
#   tests/fuzz/run_fuzz.sh [SECONDS]      (default 60; FUZZ_BUILD_DIR overrides the folder)
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${1:-60}

command -v clang++ >/dev/null || { echo "run_fuzz.sh: clang++ is required" >&2; exit 2; }
CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target dxf_read_fuzzer dxf_seed_writer >"$build/build.log" 2>&1 ||
    { cat "$build/build.log" >&2; exit 1; }

seeds=$build/seeds
found=$build/corpus
rm -rf "$seeds"
mkdir -p "$seeds" "$found"
"$build/dxf_seed_writer" "$seeds"

# The fuzzer's temporary folders go to a scratch folder of the run, which must be empty
# again at the end: each process removes the folder it made.
export TMPDIR=$build/tmp
rm -rf "$TMPDIR" && mkdir -p "$TMPDIR"

cd "$build"
log=$build/fuzz.log
if ! ASAN_OPTIONS=detect_leaks=1 "$build/dxf_read_fuzzer" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -max_len=200000 -print_final_stats=1 "$found" "$seeds" \
    >"$log" 2>&1; then
    tail -n 80 "$log" >&2
    echo "dxf_read_fuzzer: FAILED; the input is in $build, the whole output in $log" >&2
    exit 1
fi
if [ -n "$(ls -A "$TMPDIR")" ]; then
    echo "dxf_read_fuzzer: left temporary files behind: $(ls -A "$TMPDIR")" >&2
    exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
echo "dxf_read_fuzzer: no failure in ${seconds}s (${runs:-?} inputs)"
