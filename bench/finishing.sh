#!/usr/bin/env bash
# What the finished book's options cost, timed as whole commands:
#   - the drawn cover on a batch of 272 books of about 200 KB each (--each -j 2), against the
#     same batch with --cover none; target: at most 25% more time;
#   - the drawn cover on one book (the 2 MB novel 西游记.txt); target: at most 50 ms more;
#   - --chinese s2t on the 50 MB novel of compare.sh; target: at most twice the time.
# Wall clock and CPU time (user and system, summed over the processes), medians; the commands
# take turns, run after run, so that the machine's load weighs on all alike. A drawn cover of a
# Chinese title is left as BUILD_DIR/artefacts/drawn-cover.png to look at.
#
# Usage: bench/finishing.sh [BUILD_DIR]   (default: build)
#   RUNS=n          runs per command, after one warm-up run (default 5; the batch runs
#                   min(RUNS, 3) times)
#   BENCH_TEMP=dir  where inputs, books and the staging live (default: TEMP, else TMPDIR, else /tmp)
#   BASELINE=dir    another build to time in the same turns (an earlier version, say): each of
#                   its commands appears beside this build's, marked "(baseline)"
# Needs python3 and unzip.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/quireforge-cli"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
runs="${RUNS:-5}"
temp_root="${BENCH_TEMP:-${TEMP:-${TMPDIR:-/tmp}}}"

for tool in python3 unzip; do
  command -v "$tool" >/dev/null || { echo "finishing.sh: $tool is not installed" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "finishing.sh: $cli is missing; build it first" >&2; exit 2; }
baseline=""
if [ -n "${BASELINE:-}" ]; then
  baseline="$(cd "$BASELINE" && pwd)/quireforge-cli"
  [ -x "$baseline" ] || { echo "finishing.sh: $baseline is missing" >&2; exit 2; }
fi

work="$(mktemp -d "$temp_root/qf-finishing-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TEMP="$work" TMPDIR="$work"
cd "$work"

# 272 books cut from the two novels, each named as download sites name them.
python3 - "$corpus" <<'PY'
import pathlib, sys
corpus = pathlib.Path(sys.argv[1])
prose = ((corpus / "西游记.txt").read_bytes() + (corpus / "三国演义.txt").read_bytes())
lines = prose.split(b"\r\n")
pathlib.Path("batch").mkdir()
size, at = 200 * 1024, 0
for book in range(272):
    out, written = [], 0
    while written < size:
        line = lines[at % len(lines)]
        at += 1
        out.append(line)
        written += len(line) + 2
    name = f"《长篇小说第{book + 1}部》作者：佚名{book % 17}.txt"
    (pathlib.Path("batch") / name).write_bytes(b"\r\n".join(out))
with open("novel50.txt", "wb") as out:
    written = 0
    while written < 50 * 1024 * 1024:
        out.write(prose)
        written += len(prose)
PY
cp "$corpus/西游记.txt" 西游记.txt

echo "quireforge-cli: $cli"
[ -z "$baseline" ] || echo "baseline:       $baseline"
echo "inputs:         272 books of $(du -sh batch | cut -f1) in all, 西游记.txt $(stat -c %s 西游记.txt) bytes, novel50.txt $(stat -c %s novel50.txt) bytes"
echo "machine:        $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo

python3 - "$cli" "$runs" "$baseline" <<'PY'
import glob, resource, statistics, subprocess, sys, time
cli, runs, baseline = sys.argv[1], int(sys.argv[2]), sys.argv[3]
batch = sorted(glob.glob("batch/*.txt"))

def with_baseline(groups):
    """The groups, each followed by the same command run by the baseline build, if any."""
    if not baseline:
        return groups
    both = {}
    for name, command in groups.items():
        both[name] = command
        both[name + " (baseline)"] = [baseline] + command[1:]
    return both

def timed(groups, runs):
    wall = {name: [] for name in groups}
    cpu = {name: [] for name in groups}
    for run in range(runs + 1):
        for name, command in groups.items():
            before, start = resource.getrusage(resource.RUSAGE_CHILDREN), time.perf_counter()
            subprocess.run(command, check=True)
            end, after = time.perf_counter(), resource.getrusage(resource.RUSAGE_CHILDREN)
            if run == 0:
                continue  # warm-up
            wall[name].append(end - start)
            cpu[name].append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
    return ({n: statistics.median(v) for n, v in wall.items()},
            {n: statistics.median(v) for n, v in cpu.items()})

def own(base, name):
    """The base row a row is compared with: the baseline's for the baseline's rows."""
    return base + " (baseline)" if name.endswith(" (baseline)") else base

def table(title, groups, runs, base, scale="s", factor=1.0):
    groups = with_baseline(groups)
    wall, cpu = timed(groups, runs)
    print(f"{title} ({runs} runs each, in turns)")
    print()
    print(f"| command | wall median {scale} | CPU median {scale} | × {base} (wall) | × {base} (CPU) |")
    print("|---|---|---|---|---|")
    for name in groups:
        print(f"| {name} | {wall[name] * factor:.1f} | {cpu[name] * factor:.1f} | "
              f"{wall[name] / wall[own(base, name)]:.2f} | {cpu[name] / cpu[own(base, name)]:.2f} |")
    print()
    return wall, cpu

table("272 books, --each -j 2", {
    "--cover none": [cli, "-q", "--each", "-j", "2", "--cover", "none"] + batch,
    "drawn cover (default)": [cli, "-q", "--each", "-j", "2"] + batch,
}, min(runs, 3), "--cover none")

wall, cpu = table("one book, the 2 MB novel", {
    "--cover none": [cli, "-q", "--cover", "none", "-o", "a.epub", "西游记.txt"],
    "drawn cover (default)": [cli, "-q", "-o", "b.epub", "西游记.txt"],
}, runs * 2, "--cover none", "ms", 1000.0)
for mark in ["", " (baseline)"] if baseline else [""]:
    drawn, none = "drawn cover (default)" + mark, "--cover none" + mark
    print(f"the drawn cover adds {(wall[drawn] - wall[none]) * 1000:.1f} ms (wall), "
          f"{(cpu[drawn] - cpu[none]) * 1000:.1f} ms (CPU){mark}")
print()

table("the 50 MB novel", {
    "plain": [cli, "-q", "--cover", "none", "-o", "c.epub", "novel50.txt"],
    "--chinese s2t": [cli, "-q", "--cover", "none", "--chinese", "s2t", "-o", "d.epub",
                      "novel50.txt"],
}, runs, "plain")
PY

mkdir -p "$build/artefacts"
unzip -p b.epub OEBPS/cover.png > "$build/artefacts/drawn-cover.png"
echo "drawn cover of 西游记: $build/artefacts/drawn-cover.png ($(stat -c %s "$build/artefacts/drawn-cover.png") bytes)"
