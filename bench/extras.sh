#!/usr/bin/env bash
# What the book options beyond the window's cost, timed as whole commands on the 2 MB novel
# 西游记.txt with a volume line before every tenth chapter heading (10 volumes, 100 chapters):
#   - the default run;
#   - --volumes --cover (a 1200x1600 JPEG): the volume rule on every line, the cover read,
#     recognised and stored, the nested table of contents;
#   - --language auto: the letters counted by script;
#   - --chapter-pattern with an expression equivalent to the built-in rule's common case, run
#     by the engine on every line without the built-in rule's prefilter.
# No target: the figures are reported (wall clock and CPU time, medians), and the cost of
# --volumes --cover is read against the default run.
#
# Usage: bench/extras.sh [BUILD_DIR]   (default: build)
#   RUNS=n          runs per command, after one warm-up run (default 20)
#   BENCH_TEMP=dir  where inputs, books and the staging live (default: TEMP, else TMPDIR, else /tmp)
# Needs python3 and ImageMagick's convert (make test and make bench install them).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/quireforge-cli"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
runs="${RUNS:-20}"
temp_root="${BENCH_TEMP:-${TEMP:-${TMPDIR:-/tmp}}}"

for tool in python3 convert; do
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

# The commands take turns, run after run, so that a change of the machine's load between them
# weighs on all alike. On a shared machine the wall-clock times swing with the load; the CPU
# time a run uses (user and system, summed over its threads) holds steadier, so both are given.
python3 - "$cli" "$runs" <<'PY'
import resource, statistics, subprocess, sys, time
cli, runs = sys.argv[1], int(sys.argv[2])
pattern = "第[ 　]*[0-9一二三四五六七八九十百千]{0,10}[ 　]?[章回]"
commands = {
    "default": [cli, "-q", "-o", "a.epub", "novel.txt"],
    "--volumes --cover": [cli, "-q", "--volumes", "--cover", "cover.jpg", "-o", "b.epub",
                          "novel.txt"],
    "--language auto": [cli, "-q", "--language", "auto", "-o", "c.epub", "novel.txt"],
    "--chapter-pattern": [cli, "-q", "--chapter-pattern", pattern, "-o", "d.epub", "novel.txt"],
}
wall = {name: [] for name in commands}
cpu = {name: [] for name in commands}
for run in range(runs + 1):
    for name, command in commands.items():
        before, start = resource.getrusage(resource.RUSAGE_CHILDREN), time.perf_counter()
        subprocess.run(command, check=True)
        end, after = time.perf_counter(), resource.getrusage(resource.RUSAGE_CHILDREN)
        if run == 0:
            continue  # warm-up
        wall[name].append(end - start)
        cpu[name].append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
base_wall, base_cpu = statistics.median(wall["default"]), statistics.median(cpu["default"])
print(f"{runs} runs each, in turns")
print()
print("| command | wall median s | wall min s | CPU median s | × default (wall) | × default (CPU) |")
print("|---|---|---|---|---|---|")
for name in commands:
    w, c = statistics.median(wall[name]), statistics.median(cpu[name])
    print(f"| {name} | {w:.3f} | {min(wall[name]):.3f} | {c:.3f} | {w / base_wall:.2f} | "
          f"{c / base_cpu:.2f} |")
PY
echo "book sizes:     default $(stat -c %s a.epub) bytes, with volumes and cover $(stat -c %s b.epub) bytes"
