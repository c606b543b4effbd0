#!/usr/bin/env bash
# Compiles the SDK signature probe against the module's umbrella header with every section
# the host layer covers.
set -euo pipefail
cd "$(dirname "$0")/.."
probe=../shared/sdk-probe/sdk_signatures.cpp
if [ ! -f "$probe" ]; then
    echo "probe: $probe not found, skipped"
    exit 0
fi
sections=(-DPROBE_ALL)
g++ -std=c++17 -fsyntax-only -Werror "${sections[@]}" -Iapp -Iplatform/include "$probe"
echo "probe: ${sections[*]} compile"
