#!/usr/bin/env bash
# Runs every benchmark: the Google Benchmark programs (pattern engine, conversion job, zip
# engine), the whole-command comparison of quireforge-cli with pandoc and zip -9, the cost of
# the book options beyond the window's (volumes, cover, language, own chapter rule), and the
# cost of headings, indent and EPUB 3 on the 50 MB novel, the cost of the drawn cover and of
# --chinese, the window's responsiveness and Cancel while Start packs that novel, books
# streamed into their archives against pandoc and zip -9 (stream.sh), and Start with several
# books at once (start.sh).
# Usage: bench/run_all.sh [BUILD_DIR]   (default: build)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"

cmake --build "$build" -j "$(nproc)" --target pattern_bench conversion_bench zip_bench quireforge-cli

for program in pattern_bench conversion_bench zip_bench; do
  echo "== $program"
  "$build/$program" --benchmark_repetitions="${REPETITIONS:-3}" --benchmark_report_aggregates_only=true
done

echo "== compare.sh"
"$here/compare.sh" "$build"

echo "== extras.sh"
"$here/extras.sh" "$build"

echo "== formats.sh"
"$here/formats.sh" "$build"

echo "== finishing.sh"
"$here/finishing.sh" "$build"

echo "== window.sh"
"$here/window.sh" "$build"

echo "== stream.sh"
"$here/stream.sh" "$build"

echo "== start.sh"
"$here/start.sh" "$build"
