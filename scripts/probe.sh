#!/usr/bin/env bash
# Compiles the SDK signature probe against the module's umbrella header with every section
# the host layer covers.
set -euo pipefail
cd "$(dirname "$0")/.."
probe=../shared/sdk-probe/sdk_signatures.cpp
[ -f "$probe" ] || probe=../../shared/sdk-probe/sdk_signatures.cpp  # from a worktree
if [ ! -f "$probe" ]; then
    echo "probe: $probe not found, skipped"
    exit 0
fi
# Each section on its own (a section must not lean on another's declarations), then all.
for section in PROBE_RX PROBE_DB_CORE PROBE_DB_FILES PROBE_DB_DRAWING PROBE_MFC PROBE_ALL; do
    g++ -std=c++17 -fsyntax-only -Werror "-D$section" -Iapp -Iplatform/include "$probe"
    echo "probe: $section compiles"
done
