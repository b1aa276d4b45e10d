#!/usr/bin/env bash
# The window while Start packs the 50 MB novel (the two corpus novels repeated, as in
# formats.sh): the longest time its event loop went without running and the progress
# window's repaints (target: at least every 100 ms), and the time from Cancel until Start has
# stopped (target: within 1 s), with the older book at the cancelled target left untouched.
# Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
# Usage: bench/window.sh [BUILD_DIR]   (default: build)
#   BENCH_TEMP=dir   where the novel, books and staging live (default: TEMP, else TMPDIR, else /tmp)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
temp_root="${BENCH_TEMP:-${TEMP:-${TMPDIR:-/tmp}}}"

cmake --build "$build" -j "$(nproc)" --target window_bench

work="$(mktemp -d "$temp_root/qf-window-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TEMP="$work" TMPDIR="$work"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

python3 - "$corpus" "$work/novel50.txt" <<'PY'
import pathlib, sys
corpus = pathlib.Path(sys.argv[1])
prose = (corpus / "西游记.txt").read_bytes() + (corpus / "三国演义.txt").read_bytes()
with open(sys.argv[2], "wb") as out:
    written = 0
    while written < 50 * 1024 * 1024:
        out.write(prose)
        written += len(prose)
PY

"$build/window_bench" "$work/novel50.txt" "$work"
