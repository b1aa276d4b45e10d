#!/usr/bin/env bash
# Times quireforge-cli side by side with other tools, in one run, on real prose:
#   - the 2 MB novel 西游记.txt: quireforge-cli against `pandoc -t epub2` (and calibre's
#     ebook-convert when it is installed);
#   - a 50 MB novel made by repeating the two corpus novels: quireforge-cli against pandoc, and
#     against `zip -9 -r` compressing the files of the very book quireforge-cli wrote (unpacked
#     into a folder first).
# Targets: at least 4 times faster than pandoc on the 2 MB novel; the 50 MB novel converted and
# packed in at most 0.75 of the time `zip -9 -r` alone needs.
#
# Usage: bench/compare.sh [BUILD_DIR]        (default: build)
#   RUNS=n          runs per command (default 5; pandoc on 50 MB runs min(RUNS, 2) times)
#   BENCH_TEMP=dir  where inputs, books and quireforge-cli's staging live (default: TEMP,
#                   else TMPDIR, else /tmp). The staging creates one file per page, so the
#                   speed of file creation there matters; compare with BENCH_TEMP=/dev/shm.
# Needs hyperfine, pandoc, zip, unzip and python3 (make bench installs them).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/quireforge-cli"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
runs="${RUNS:-5}"
temp_root="${BENCH_TEMP:-${TEMP:-${TMPDIR:-/tmp}}}"

for tool in hyperfine pandoc zip unzip python3; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is not installed" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "compare.sh: $cli is missing; build it first" >&2; exit 2; }
[ -f "$build/libqzengine.so" ] || { echo "compare.sh: $build/libqzengine.so is missing" >&2; exit 2; }

work="$(mktemp -d "$temp_root/qf-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT
# quireforge-cli stages below TEMP: keep it on the same file system as everything else.
export TEMP="$work" TMPDIR="$work"
cd "$work"

cp "$corpus/西游记.txt" novel2.txt
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

ebook_convert=""
command -v ebook-convert >/dev/null && ebook_convert="ebook-convert"

echo "quireforge-cli: $cli"
echo "work folder:    $work ($(df -T "$work" | awk 'NR==2 {print $2}'))"
echo "inputs:         novel2.txt $(stat -c %s novel2.txt) bytes, novel50.txt $(stat -c %s novel50.txt) bytes"
echo "machine:        $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# 2 MB: quireforge-cli against pandoc (and calibre).
commands=("$cli -q -o cli2.epub novel2.txt"
          "pandoc -t epub2 --metadata title=novel2 -o pandoc2.epub novel2.txt")
[ -n "$ebook_convert" ] && commands+=("ebook-convert novel2.txt calibre2.epub")
hyperfine -N --style basic --warmup 1 --runs "$runs" --export-json small.json "${commands[@]}"

# 50 MB: quireforge-cli against pandoc, then against zip -9 -r on the book's own files.
"$cli" -q -o cli50.epub novel50.txt
mkdir unpacked && (cd unpacked && unzip -q ../cli50.epub)
pandoc_runs=$(( runs < 2 ? runs : 2 ))
# --list-chapters converts and stages without packing: the share of the conversion.
hyperfine -N --style basic --warmup 1 --runs "$runs" --prepare "rm -f zip50.zip" \
  --export-json large.json \
  "$cli -q -o cli50.epub novel50.txt" \
  "bash -c 'cd unpacked && exec zip -9 -r -q ../zip50.zip .'" \
  "$cli -q --list-chapters novel50.txt"
hyperfine -N --style basic --runs "$pandoc_runs" --export-json large-pandoc.json \
  "pandoc -t epub2 --metadata title=novel50 -o pandoc50.epub novel50.txt"

python3 - <<'PY'
import json, os
def load(name):
    return json.load(open(name))["results"]
def row(size, label, r, base=None):
    ratio = "" if base is None else f"{r['mean'] / base['mean']:.2f}"
    ratio_min = "" if base is None else f"{r['min'] / base['min']:.2f}"
    print(f"| {size} | {label} | {r['mean']:.3f} ± {r['stddev'] or 0:.3f} | {r['min']:.3f} | {ratio} | {ratio_min} |")
small, large, large_pandoc = load("small.json"), load("large.json"), load("large-pandoc.json")
cli2, cli50, zip50 = small[0], large[0], large[1]
print()
print("| input | command | mean s | min s | × quireforge-cli (mean) | × quireforge-cli (min) |")
print("|---|---|---|---|---|---|")
row("2 MB", "quireforge-cli", cli2, cli2)
row("2 MB", "pandoc -t epub2", small[1], cli2)
if len(small) > 2:
    row("2 MB", "ebook-convert", small[2], cli2)
row("50 MB", "quireforge-cli", cli50, cli50)
row("50 MB", "pandoc -t epub2", large_pandoc[0], cli50)
row("50 MB", "zip -9 -r (book's files)", zip50, cli50)
row("50 MB", "quireforge-cli --list-chapters (conversion only)", large[2], cli50)
print()
print(f"pandoc / quireforge-cli on 2 MB:       {small[1]['mean'] / cli2['mean']:.2f} (mean), "
      f"{small[1]['min'] / cli2['min']:.2f} (min)   target >= 4")
print(f"quireforge-cli / zip -9 -r on 50 MB:   {cli50['mean'] / zip50['mean']:.2f} (mean), "
      f"{cli50['min'] / zip50['min']:.2f} (min)   target <= 0.75")
for name in ["cli2.epub", "pandoc2.epub", "cli50.epub", "pandoc50.epub", "zip50.zip"]:
    if os.path.exists(name):
        print(f"size of {name}: {os.path.getsize(name)} bytes")
PY
