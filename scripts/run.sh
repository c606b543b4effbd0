#!/usr/bin/env bash
# The main job on a fresh machine: installs the Debian packages the build needs, builds the
# default configuration, and runs korv-inventory without arguments, which reports on the
# sample building in samples/ and runs a few typical queries on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake --preset default >/dev/null
cmake --build --preset default -j "${KORV_JOBS:-2}"
build/default/tools/korv-inventory
