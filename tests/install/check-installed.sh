#!/usr/bin/env bash
# The installed tree works wherever it is put: installs the build into a scratch folder
# (DESTDIR), then converts a book with the installed quireforge-cli from another folder and
# drives the installed window (on the offscreen platform, its fields filled from its command
# line), checking that both load the installed engine, not the one in the build folder.
# Usage: check-installed.sh <build folder> <scratch folder> [<window driver library>]
set -euo pipefail
build=$1
scratch=$2
driver=${3:-}
fail() { echo "check-installed: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch/work/temp"
DESTDIR="$scratch/root" cmake --install "$build" >/dev/null
bin=$(dirname "$(find "$scratch/root" -path '*/bin/quireforge-cli' -print -quit)")
[ -x "$bin/quireforge-cli" ] || fail "no quireforge-cli installed"
engine=$(find "$scratch/root" -name libqzengine.so -print -quit)
case $engine in
  */lib/*quireforge/libqzengine.so) ;;
  *) fail "the engine is installed as \"$engine\"" ;;
esac
[ ! -e "$bin/libqzengine.so" ] || fail "the engine is installed beside the programs"
engine=$(realpath "$engine")

work=$scratch/work
printf '第一章 开端\n正文第一行。\n第二章 继续\n正文第二行。\n' >"$work/小说.txt"
(cd "$work" && TEMP="$work/temp" LD_DEBUG=files "$bin/quireforge-cli" -q 小说.txt 2>"$work/cli.log") ||
  fail "the installed quireforge-cli failed: $(grep -v '^ *[0-9]*:' "$work/cli.log")"
grep -q "file=$engine .*dynamically loaded by" "$work/cli.log" || fail "quireforge-cli did not load $engine"
unzip -tq "$work/小说.epub" >/dev/null || fail "the book of quireforge-cli is no archive"

[ -x "$bin/quireforge" ] && [ -n "$driver" ] || { echo "check-installed: no window here"; exit 0; }
rm -f "$work/小说.epub"
status=0
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen TEMP="$work/temp" \
  LD_PRELOAD="$driver" LD_DEBUG=files timeout -k 5 120 "$bin/quireforge" 小说.txt \
  >"$work/window.out" 2>"$work/window.log") || status=$?
cat "$work/window.out"
[ "$status" = 0 ] || fail "the installed window ended with status $status"
grep -qx "Edit_SourceFile=$work/小说.txt" "$work/window.out" || fail "the source field was not filled"
grep -qx "Edit_TargetFile=$work/小说.EPUB" "$work/window.out" || fail "the target field was not filled"
grep -q "file=$engine .*dynamically loaded by" "$work/window.log" || fail "the window did not load $engine"
unzip -tq "$work/小说.EPUB" >/dev/null || fail "the book of the window is no archive"

# A file whose name is not UTF-8 (西游记 in GBK) opens from the command line and converts; its
# title is the name read as GB18030.
gbk=$(printf '\316\367\323\316\274\307')
cp "$work/小说.txt" "$work/$gbk.txt"
status=0
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen TEMP="$work/temp" \
  LD_PRELOAD="$driver" timeout -k 5 120 "$bin/quireforge" "$gbk.txt" \
  >"$work/window.out" 2>"$work/window.log") || status=$?
cat "$work/window.out"
[ "$status" = 0 ] || fail "the installed window ended with status $status on a GBK name"
grep -qx "Edit_Title=西游记" "$work/window.out" || fail "the GBK name did not give the title"
unzip -tq "$work/$gbk.EPUB" >/dev/null || fail "the book of the GBK-named file is no archive"
echo "check-installed: passed"
