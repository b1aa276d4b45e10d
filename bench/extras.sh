#!/usr/bin/env bash
# What the book options beyond the window's cost, timed as whole commands on the 2 MB novel
# 西游记.txt with a volume line before every tenth chapter heading (10 volumes, 100 chapters):
#   - the default run;
#   - --volumes --cover (a 1200x1600 JPEG): the volume rule on every line, the cover read,
#     recognised and stored, the nested table of contents;
#   - --language auto: the letters counted by script;
#   - --chapter-pattern with an expression equivalent to the built-in rule's common case, run
#     by the engine on every line without the built-in rule's prefilter.
# No target: the figures are reported (wall clock and CPU time), and the cost of
# --volumes --cover is read against the default run.
#
# Usage: bench/extras.sh [BUILD_DIR]   (default: build)
#   RUNS=n          runs per command (default 10)
#   BENCH_TEMP=dir  where inputs, books and the staging live (default: TEMP, else TMPDIR, else /tmp)
# Needs hyperfine, python3 and ImageMagick's convert (make bench and make test install them).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/quireforge-cli"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
runs="${RUNS:-10}"
temp_root="${BENCH_TEMP:-${TEMP:-${TMPDIR:-/tmp}}}"

for tool in hyperfine python3 convert; do
  command -v "$tool" >/dev/null || { echo "extras.sh: $tool is not installed" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "extras.sh: $cli is missing; build it first" >&2; exit 2; }

work="$(mktemp -d "$temp_root/qf-extras-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TEMP="$work" TMPDIR="$work"
cd "$work"

python3 - "$corpus/西游记.txt" <<'PY'
import re, sys
lines = open(sys.argv[1], encoding="utf-8", newline="").read().split("\r\n")
out, headings = [], 0
for line in lines:
    if re.match(r"^第.+回", line):
        if headings % 10 == 0:
            out.append("第%d卷 卷名" % (headings // 10 + 1))
        headings += 1
    out.append(line)
open("novel.txt", "w", encoding="utf-8", newline="").write("\r\n".join(out))
PY
convert -size 1200x1600 plasma:fractal -quality 90 cover.jpg

echo "quireforge-cli: $cli"
echo "input:          novel.txt $(stat -c %s novel.txt) bytes, cover.jpg $(stat -c %s cover.jpg) bytes"
echo "machine:        $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$cli" --list-chapters --volumes novel.txt | awk '/^  /{c++} /卷/ && !/^  /{v++} END{print "outline:        " v " volumes, " c " chapters in them"}'
echo

hyperfine --warmup 2 --runs "$runs" --export-json extras.json \
  -n "default" "$cli -q -o a.epub novel.txt" \
  -n "volumes + cover" "$cli -q --volumes --cover cover.jpg -o b.epub novel.txt" \
  -n "language auto" "$cli -q --language auto -o c.epub novel.txt" \
  -n "own chapter pattern" "$cli -q --chapter-pattern '第[ 　]*[0-9一二三四五六七八九十百千]{0,10}[ 　]?[章回]' -o d.epub novel.txt"

# On a shared machine the wall-clock times swing with the load; the CPU time a run uses (user
# and system, summed over its threads) holds steadier, so both are reported.
python3 - <<'PY'
import json
results = json.load(open("extras.json"))["results"]
base = results[0]
cpu = lambda r: r["user"] + r["system"]
print()
print("| command | mean s | min s | CPU s (user+system) | × default (min) | × default (CPU) |")
print("|---|---|---|---|---|---|")
for r in results:
    print(f"| {r['command']} | {r['mean']:.3f} ± {r['stddev'] or 0:.3f} | {r['min']:.3f} | "
          f"{cpu(r):.3f} | {r['min'] / base['min']:.2f} | {cpu(r) / cpu(base):.2f} |")
PY
