#!/usr/bin/env bash
# Times reading a third-party drawing, whole process and wall time: `korv-inventory report`
# against ezdxf's readfile on the same file, side by side with hyperfine, and prints how
# many times faster the first is (by the medians) and its peak memory (resident set,
# /usr/bin/time).
#
#   scripts/bench-read.sh [MEGABYTES]     (default 32: some 235,000 lines and polylines)
#
# The drawing is written by ezdxf (scripts/ezdxf-lines.py). Needs the Debian packages
# hyperfine and python3-ezdxf (apt-get install hyperfine python3-ezdxf) and builds the
# default preset's korv-inventory.
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-32}
python=/usr/bin/python3

command -v hyperfine >/dev/null ||
    { echo "bench-read.sh: hyperfine is missing: apt-get install hyperfine" >&2; exit 2; }
"$python" -c 'import ezdxf' 2>/dev/null ||
    { echo "bench-read.sh: ezdxf is missing: apt-get install python3-ezdxf" >&2; exit 2; }

cmake --preset default >/dev/null
cmake --build --preset default -j "${KORV_JOBS:-2}" --target korv-inventory >/dev/null
tool=$PWD/build/default/tools/korv-inventory

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
drawing=$work/lines.dxf
"$python" scripts/ezdxf-lines.py "$megabytes" "$drawing"
echo "drawing: $(du -h "$drawing" | cut -f1) written by ezdxf, $(grep -c -x -E 'LINE|LWPOLYLINE' "$drawing") entities"

# A warm-up run each puts the file in the page cache; medians, as this machine's speed
# varies from run to run.
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    -n korv-inventory "$tool report $drawing" \
    -n ezdxf "$python -c 'import ezdxf, sys; ezdxf.readfile(sys.argv[1])' $drawing"
"$python" - "$work/times.json" <<'PY'
import json, sys
times = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
ours, theirs = times["korv-inventory"], times["ezdxf"]
print("median (fastest): korv-inventory report %.3f s (%.3f s), ezdxf.readfile %.3f s (%.3f s):"
      " %.1f times as fast" % (ours["median"], ours["min"], theirs["median"], theirs["min"],
                               theirs["median"] / ours["median"]))
PY
peak=$(/usr/bin/time -f %M "$tool" report "$drawing" 2>&1 >/dev/null | tail -n 1)
size=$(stat -c %s "$drawing")
echo "korv-inventory report: peak resident memory $((peak / 1024)) MiB," \
    "$(awk -v p="$peak" -v s="$size" 'BEGIN { printf "%.1f", p * 1024 / s }') times the file"
