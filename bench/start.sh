#!/usr/bin/env bash
# The window's Start with six books of 0.5 to 3 MB (cut from the corpus novels, one after the
# other): packed one at a time, and as many at once as the machine has cores, alternating for
# ROUNDS rounds in one window (bench/StartBench.cpp). Goal: at once in under half the time of
# one at a time. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
# Usage: bench/start.sh [BUILD_DIR]   (default: build)
#   ROUNDS=n         rounds (default 5)
#   BENCH_TEMP=dir   where the novels, books and staging live (default: TEMP, else TMPDIR,
#                    else /tmp)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
temp_root="${BENCH_TEMP:-${TEMP:-${TMPDIR:-/tmp}}}"

cmake --build "$build" -j "$(nproc)" --target start_bench

work="$(mktemp -d "$temp_root/qf-start-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TEMP="$work" TMPDIR="$work"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

python3 - "$corpus" "$work" <<'PY'
import pathlib, sys
corpus, work = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
prose = (corpus / "西游记.txt").read_bytes() + (corpus / "三国演义.txt").read_bytes()
start = 0
for i, size in enumerate([500, 1000, 1500, 2000, 2500, 3000]):
    size *= 1024
    text = (prose * 2)[start:start + size]
    text = text[text.find(b"\r\n") + 2:text.rfind(b"\r\n") + 2]
    (work / ("book%d.txt" % (i + 1))).write_bytes(text)
    start = (start + 700000) % len(prose)
PY

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); folder $work ($(df -T "$work" | awk 'NR==2 {print $2}'))"
"$build/start_bench" "$work" "${ROUNDS:-5}" "$work"/book{1,2,3,4,5,6}.txt
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
