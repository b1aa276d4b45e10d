#!/usr/bin/env bash
# Books made with every page streamed into the archive as it is made, timed side by side with
# the tools a user would otherwise reach for, in one run:
#   1. a 2.5 MB novel (西游记 and the start of 三国演义) on tmpfs: quireforge-cli against
#      `pandoc -f markdown -t epub2`. Target: at most 1/8 of pandoc's time.
#   2. a 51 MB novel (the two corpus novels repeated): quireforge-cli against `zip -9 -r` over
#      the files of the very book quireforge-cli wrote (unpacked first). Target: at most 0.30.
#   3. a 4 MB text with 100,000 chapter headings on ext4: the book under 5 s, and
#      --list-chapters (which makes no page) under 1 s.
#   4. a batch of 272 books of 0.1 to 2 MB (a third in GB18030), --each -j 2, on ext4 and on
#      tmpfs. Target: ext4 within 1.1 times tmpfs.
# Besides the times: peak memory of the 51 MB book, and of the 4 MB text with no chapter
# heading repeated to 200 MB, against the text's own size.
#
# Usage: bench/stream.sh [BUILD_DIR]        (default: build)
#   RUNS=n           runs per command (default 5; pandoc and the batches min(RUNS, 3))
#   BENCH_TMPFS=dir  a folder on tmpfs (default /dev/shm)
#   BENCH_EXT4=dir   a folder on ext4 (default /var/tmp)
# Needs hyperfine, pandoc, zip, unzip, python3 and GNU time (make bench-deps installs them).
# Measure on a quiet machine: the load is printed with the results.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
cli="$build/quireforge-cli"
corpus="${QF_CORPUS_DIR:-$here/../tests/corpus}"
runs="${RUNS:-5}"
few=$(( runs < 3 ? runs : 3 ))
tmpfs_root="${BENCH_TMPFS:-/dev/shm}"
ext4_root="${BENCH_EXT4:-/var/tmp}"

for tool in hyperfine pandoc zip unzip python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "stream.sh: $tool is not installed" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "stream.sh: $cli is missing; build it first" >&2; exit 2; }
for pair in "tmpfs:$tmpfs_root" "ext4:$ext4_root"; do
  kind="${pair%%:*}" dir="${pair#*:}"
  actual="$(df -T "$dir" | awk 'NR==2 {print $2}')"
  [ "$actual" = "$kind" ] || { echo "stream.sh: $dir is $actual, not $kind" >&2; exit 2; }
done

tmpfs="$(mktemp -d "$tmpfs_root/qf-stream-XXXXXX")"
ext4="$(mktemp -d "$ext4_root/qf-stream-XXXXXX")"
trap 'rm -rf "$tmpfs" "$ext4"' EXIT
export TEMP="$tmpfs" TMPDIR="$tmpfs"

python3 - "$corpus" "$tmpfs" "$ext4" <<'PY'
import pathlib, sys
corpus, tmpfs, ext4 = (pathlib.Path(p) for p in sys.argv[1:4])
xyj = (corpus / "西游记.txt").read_bytes()
sgy = (corpus / "三国演义.txt").read_bytes()
prose = xyj + sgy

def cut(data, size):
    end = data.find(b"\r\n", size)
    return data if end < 0 else data[:end + 2]

(tmpfs / "novel25.txt").write_bytes(xyj + cut(sgy, 2621440 - len(xyj)))
with open(tmpfs / "novel51.txt", "wb") as out:
    written = 0
    while written < 51 * 1024 * 1024:
        out.write(prose)
        written += len(prose)

heads = "".join("第%d章 标题%d\r\n他说了一句话，又走了一段路。\r\n" % (i, i)
                for i in range(1, 100001)).encode()
(ext4 / "heads.txt").write_bytes(heads)
plain = b"".join(line for line in xyj.splitlines(keepends=True) if "回".encode() not in line)
with open(ext4 / "plain200.txt", "wb") as out:
    written = 0
    while written < 200 * 1024 * 1024:
        out.write(plain)
        written += len(plain)

for root in (tmpfs, ext4):
    books = root / "books"
    books.mkdir()
    for i in range(272):
        size = 100000 + (i * 37 % 20) * 100000
        start = (i * 7919) % (len(prose) - size)
        start = prose.find(b"\r\n", start) + 2
        text = cut(prose[start:], size)
        if i % 3 == 0:
            text = text.decode("utf-8").encode("gb18030")
        (books / ("book%03d.txt" % i)).write_bytes(text)
PY

echo "quireforge-cli: $cli"
echo "tmpfs folder:   $tmpfs"
echo "ext4 folder:    $ext4"
echo "machine:        $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo

cd "$tmpfs"
hyperfine -N --style basic --warmup 1 --runs "$runs" --export-json small.json \
  "$cli -q -o cli25.epub novel25.txt"
hyperfine -N --style basic --runs "$few" --export-json small-pandoc.json \
  "pandoc -f markdown -t epub2 --metadata title=novel25 -o pandoc25.epub novel25.txt"

"$cli" -q -o cli51.epub novel51.txt
mkdir unpacked && (cd unpacked && unzip -q ../cli51.epub)
hyperfine -N --style basic --warmup 1 --runs "$runs" --prepare "rm -f zip51.zip" \
  --export-json large.json \
  "$cli -q -o cli51.epub novel51.txt" \
  "bash -c 'cd unpacked && exec zip -9 -r -q ../zip51.zip .'"
/usr/bin/time -f "%M" -o peak51.txt "$cli" -q -o cli51.epub novel51.txt

cd "$ext4"
hyperfine -N --style basic --warmup 1 --runs "$runs" --export-json heads.json \
  "$cli -q -o heads.epub heads.txt" "$cli -q --list-chapters heads.txt"
/usr/bin/time -f "%M" -o peak200.txt "$cli" -q -o plain200.epub plain200.txt

for pair in "tmpfs:$tmpfs" "ext4:$ext4"; do
  kind="${pair%%:*}" root="${pair#*:}"
  hyperfine -N --style basic --warmup 1 --runs "$few" --export-json "$tmpfs/batch-$kind.json" \
    --prepare "bash -c 'rm -f $root/books/*.epub'" \
    "bash -c 'cd $root/books && exec $cli -q --each -j 2 *.txt'"
done

cd "$tmpfs"
python3 - "$tmpfs" "$ext4" <<'PY'
import json, os, sys
tmpfs, ext4 = sys.argv[1:3]
def result(name, i=0):
    return json.load(open(os.path.join(tmpfs, name)))["results"][i]
def line(label, r):
    print(f"| {label} | {r['mean']:.3f} ± {r['stddev'] or 0:.3f} | {r['min']:.3f} |")
cli25, pandoc25 = result("small.json"), result("small-pandoc.json")
cli51, zip51 = result("large.json"), result("large.json", 1)
heads, listing = json.load(open(os.path.join(ext4, "heads.json")))["results"]
batch_tmpfs, batch_ext4 = result("batch-tmpfs.json"), result("batch-ext4.json")
print()
print("| command | mean s | min s |")
print("|---|---|---|")
line("2.5 MB novel, quireforge-cli (tmpfs)", cli25)
line("2.5 MB novel, pandoc -f markdown -t epub2 (tmpfs)", pandoc25)
line("51 MB novel, quireforge-cli (tmpfs)", cli51)
line("51 MB novel, zip -9 -r over the book's files (tmpfs)", zip51)
line("4 MB, 100,000 headings, quireforge-cli (ext4)", heads)
line("4 MB, 100,000 headings, --list-chapters (ext4)", listing)
line("272 books, --each -j 2 (tmpfs)", batch_tmpfs)
line("272 books, --each -j 2 (ext4)", batch_ext4)
print()
print(f"2.5 MB: quireforge-cli / pandoc = {cli25['mean'] / pandoc25['mean']:.3f}   target <= 0.125")
print(f"51 MB: quireforge-cli / zip -9 -r = {cli51['mean'] / zip51['mean']:.3f} (mean), "
      f"{cli51['min'] / zip51['min']:.3f} (min)   target <= 0.30")
print(f"100,000 headings: book {heads['mean']:.2f} s (target < 5), "
      f"--list-chapters {listing['mean']:.2f} s (target < 1)")
print(f"272 books: ext4 / tmpfs = {batch_ext4['mean'] / batch_tmpfs['mean']:.3f}   target <= 1.1")
peak51 = int(open(os.path.join(tmpfs, "peak51.txt")).read().split()[-1])
peak200 = int(open(os.path.join(ext4, "peak200.txt")).read().split()[-1])
size200 = os.path.getsize(os.path.join(ext4, "plain200.txt"))
print(f"peak memory: 51 MB novel {peak51 / 1024:.0f} MB; "
      f"200 MB text without headings {peak200 / 1024:.0f} MB (the text is {size200 / 2**20:.0f} MB)")
print(f"load after the run: {open('/proc/loadavg').read().split()[:3]}")
PY
