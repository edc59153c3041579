#!/usr/bin/env bash
# Sets up, builds the release preset and starts the program:
#   ./run.sh [FILE]                   the desktop window, when a display is present,
#                                     with FILE in its Open dialog
#   ./run.sh --cli [FILE] [-- ARGS]   scans a data file on the command line,
#                                     e.g. ./run.sh --cli db.mdf -- --advanced --log-dir /tmp
# Without a display, ./run.sh [FILE] [-- ARGS] is the command-line scan.
# Without FILE both take the bundled sample, data/sample/pubs.mdf.gz.
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ]; then
  echo "usage: ./run.sh [FILE]                   start the window (needs a display)" >&2
  echo "       ./run.sh --cli [FILE] [-- ARGS]   run 'tessaril-cli scan FILE ARGS'; without" >&2
  echo "  FILE, on the bundled sample database (data/sample/pubs.mdf.gz)." >&2
  echo "  'build/release/src/cli/tessaril-cli --help' lists every command." >&2
  exit 0
fi
cli=0
if [ "${1:-}" = "--cli" ]; then
  cli=1
  shift
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cli=1
fi
./scripts/setup.sh
cmake --preset release >/dev/null
# Only the program itself: the tests and benchmarks are built by ./test.sh.
target=tessaril-cli
[ "$cli" = 0 ] && target=tessaril
echo "Building $target..." >&2
if ! cmake --build --preset release --target "$target" >build/release-build.log 2>&1; then
  cat build/release-build.log >&2
  exit 1
fi
if [ $# -eq 0 ] || [ "$1" = "--" ]; then
  sample=$(mktemp -d)
  trap 'rm -rf "$sample"' EXIT
  gunzip -c data/sample/pubs.mdf.gz >"$sample/pubs.mdf"
  file=$sample/pubs.mdf
  echo "No file given: the bundled sample database." >&2
else
  file=$1
  shift
fi
[ "${1:-}" = "--" ] && shift
if [ "$cli" = 0 ]; then
  build/release/src/ui/tessaril "$file"
else
  build/release/src/cli/tessaril-cli scan "$file" "$@"
fi
