#!/usr/bin/env bash
# Installs the default build into a scratch prefix, builds a consumer project against the
# installed CMake package, and runs the installed tool on the installed sample from another
# folder, with the build tree out of reach: what a user of the installed tree gets.
#
#   scripts/check-install.sh [BUILD_DIR]      (default build/default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
# The installed tree must not depend on where it was installed: move it before using it.
mv "$scratch/prefix" "$scratch/moved"
prefix=$scratch/moved

cmake -S "$root/tests/consumer" -B "$scratch/consumer" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$scratch/consumer" >/dev/null
"$scratch/consumer/consumer"

cd "$scratch"
"$prefix/bin/korv-inventory" report "$prefix/share/KORVInventory/samples/building.dxf" \
    >"$scratch/report.txt"
grep -q '^Inventories: ' "$scratch/report.txt"
"$prefix/bin/korv-inventory" >"$scratch/tour.txt"
grep -q 'building.dxf' "$scratch/tour.txt"
echo "check-install: the installed tree builds a consumer and runs the sample"
