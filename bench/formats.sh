#!/usr/bin/env bash
# What the heading finder, headings, indent and EPUB 3 cost, timed as whole commands on the
# 50 MB novel of compare.sh (the two corpus novels repeated):
#   - the default run (chapters found by the heading finder);
#   - --chapter-rule classic: the same with the line-by-line chapter-head pattern;
#   - --epub3 --heading-style title --indent 2: every line trimmed for the indent, heading
#     lines written as headings, XHTML5 pages, nav.xhtml beside toc.ncx;
#   - with BASELINE_CLI set, the default run of that other build (an older quireforge-cli with
#     its libqzengine.so beside it), to compare a change with what came before it.
# Targets (CPU time, medians): the options cost at most 5% more than the default run; the
# default run costs at most 10% more than the classic rule's.
#
# Usage: bench/formats.sh [BUILD_DIR]   (default: build)
#   RUNS=n            runs per command, after one warm-up run (default 10)
#   BENCH_TEMP=dir    where the novel, books and staging live (default: TEMP, else TMPDIR, else /tmp)
#   BASELINE_CLI=path another quireforge-cli to time beside this one
# Needs python3 (make test and make bench install it).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/quireforge-cli"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
runs="${RUNS:-10}"
temp_root="${BENCH_TEMP:-${TEMP:-${TMPDIR:-/tmp}}}"
baseline="${BASELINE_CLI:-}"

command -v python3 >/dev/null || { echo "formats.sh: python3 is not installed" >&2; exit 2; }
[ -x "$cli" ] || { echo "formats.sh: $cli is missing; build it first" >&2; exit 2; }
[ -z "$baseline" ] || [ -x "$baseline" ] || { echo "formats.sh: $baseline is missing" >&2; exit 2; }

work="$(mktemp -d "$temp_root/qf-formats-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TEMP="$work" TMPDIR="$work"
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

echo "quireforge-cli: $cli"
[ -n "$baseline" ] && echo "baseline:       $baseline"
echo "input:          novel50.txt $(stat -c %s novel50.txt) bytes"
echo "machine:        $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# The commands take turns, run after run, so that a change of the machine's load between them
# weighs on all alike; CPU time (user and system, over all threads) holds steadier than wall
# clock on a shared machine, so both are given.
python3 - "$cli" "$runs" "$baseline" <<'PY'
import resource, statistics, subprocess, sys, time
cli, runs, baseline = sys.argv[1], int(sys.argv[2]), sys.argv[3]
commands = {
    "default": [cli, "-q", "-o", "a.epub", "novel50.txt"],
    "--chapter-rule classic": [cli, "-q", "--chapter-rule", "classic", "-o", "d.epub",
                               "novel50.txt"],
    "--epub3 --heading-style title --indent 2": [
        cli, "-q", "--epub3", "--heading-style", "title", "--indent", "2", "-o", "b.epub",
        "novel50.txt"],
}
if baseline:
    commands["baseline default"] = [baseline, "-q", "-o", "c.epub", "novel50.txt"]
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
    print(f"| {name} | {w:.3f} | {min(wall[name]):.3f} | {c:.3f} | {w / base_wall:.3f} | "
          f"{c / base_cpu:.3f} |")
options = "--epub3 --heading-style title --indent 2"
print()
print(f"{options} / default: {statistics.median(cpu[options]) / base_cpu:.3f} (CPU), "
      f"{statistics.median(wall[options]) / base_wall:.3f} (wall)   target <= 1.05")
classic = "--chapter-rule classic"
print(f"default / {classic}: {base_cpu / statistics.median(cpu[classic]):.3f} (CPU), "
      f"{base_wall / statistics.median(wall[classic]):.3f} (wall)   target <= 1.10")
PY
echo "book sizes:     default $(stat -c %s a.epub) bytes, with the options $(stat -c %s b.epub) bytes"
