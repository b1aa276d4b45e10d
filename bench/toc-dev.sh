#!/usr/bin/env bash
# Scores a build's table of contents on the hand-labelled development books: the labels and
# their scorer live in the team's toc-dev folder (TOC_DEV, default ../shared/toc-dev beside
# this checkout), the books in a folder laid out by its lay-out.sh (never in this repository).
# Prints per-book precision, recall and F1, the macro figures and the worst books.
# Usage: bench/toc-dev.sh BOOKS_DIR [BUILD_DIR] [quireforge-cli options...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
books="${1:?usage: toc-dev.sh BOOKS_DIR [BUILD_DIR] [options...]}"
build="${2:-$here/../build}"
shift $(( $# >= 2 ? 2 : 1 ))
toc_dev="${TOC_DEV:-$here/../../shared/toc-dev}"
[ -x "$toc_dev/score.sh" ] || { echo "toc-dev.sh: no scorer at $toc_dev (set TOC_DEV)" >&2; exit 2; }
[ -d "$books" ] || { echo "toc-dev.sh: no books folder $books" >&2; exit 2; }
cmake --build "$build" --target quireforge-cli qzengine >/dev/null
exec "$toc_dev/score.sh" "$(cd "$build" && pwd)/quireforge-cli" "$books" "$@"
