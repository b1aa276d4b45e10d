#!/usr/bin/env bash
# What finding chapters costs on the 50 MB novel (the two corpus novels repeated): the whole
# conversion's CPU time with the heading finder (the default), with the classic rule and with
# no chapters, and the finder alone (heading_bench), as a share of the default conversion.
# Then the finder over 15,000 to 240,000 headings of each shape, fitted to O(N).
# Usage: bench/heading.sh [BUILD_DIR]   (RUNS=n runs per command, default 3)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
corpus="$here/../tests/corpus"
cmake --build "$build" --target quireforge-cli qzengine heading_bench >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
python3 - "$corpus" <<'PY'
import pathlib, sys
corpus = pathlib.Path(sys.argv[1])
prose = (corpus / "西游记.txt").read_bytes() + (corpus / "三国演义.txt").read_bytes()
with open("novel50.txt", "wb") as out:
    written = 0
    while written < 50 * 1024 * 1024:
        out.write(prose)
        written += len(prose)
PY
cpu() {  # the least user+system seconds of RUNS runs of a command
  local best=""
  for _ in $(seq "${RUNS:-3}"); do
    /usr/bin/time -f "%U %S" -o t.txt "$@" >/dev/null
    local s
    s=$(awk '{print $1 + $2}' t.txt)
    if [ -z "$best" ] || awk -v a="$s" -v b="$best" 'BEGIN{exit !(a < b)}'; then best=$s; fi
  done
  echo "$best"
}
export TEMP="$work"
default=$(cpu "$build/quireforge-cli" -q -o a.epub novel50.txt)
classic=$(cpu "$build/quireforge-cli" -q --chapter-rule classic -o b.epub novel50.txt)
none=$(cpu "$build/quireforge-cli" -q --no-chapters -o c.epub novel50.txt)
finder=$("$build/heading_bench" --benchmark_filter=FinderOnNovel --benchmark_repetitions="${RUNS:-3}" \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
  awk -F, '/_min|_mean/ && !m {m=$4} END {print m / 1000}')
echo "load:                 $(cut -d' ' -f1-3 /proc/loadavg)"
echo "conversion CPU (s):   default $default, --chapter-rule classic $classic, --no-chapters $none"
echo "finder alone CPU (s): $finder"
awk -v f="$finder" -v d="$default" -v n="$none" 'BEGIN {
  printf "finder share of the default conversion: %.1f%% (default over --no-chapters: %+.1f%%)\n",
         100 * f / d, 100 * (d - n) / n }'
"$build/heading_bench" --benchmark_filter=FinderOnShape
