#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the AddressSanitizer +
# UndefinedBehaviorSanitizer build, the installed tree (a consumer project built against it,
# the installed tool run on the installed sample), the formatting check, the signature probe
# against the module's header, and a bounded run of the drawing reader's fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=${KORV_JOBS:-2}
for preset in default asan; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done
scripts/check-install.sh build/default
scripts/check-format.sh
scripts/probe.sh
tests/fuzz/run_fuzz.sh "${KORV_FUZZ_SECONDS:-60}"
