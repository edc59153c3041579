#!/usr/bin/env bash
# Sets up, builds the release preset and scans a data file:
#   ./run.sh [FILE] [-- CLI ARGS]    e.g. ./run.sh db.mdf -- --advanced --log-dir /tmp
# Without FILE it scans the bundled sample, data/sample/pubs.mdf.gz.
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ]; then
  echo "usage: ./run.sh [FILE] [-- CLI ARGS]" >&2
  echo "  Builds tessaril-cli and runs 'tessaril-cli scan FILE CLI ARGS'; without" >&2
  echo "  FILE, on the bundled sample database (data/sample/pubs.mdf.gz)." >&2
  echo "  'build/release/src/cli/tessaril-cli --help' lists every command." >&2
  exit 0
fi
if [ $# -eq 0 ] || [ "$1" = "--" ]; then
  sample=$(mktemp -d)
  trap 'rm -rf "$sample"' EXIT
  gunzip -c data/sample/pubs.mdf.gz >"$sample/pubs.mdf"
  file=$sample/pubs.mdf
  echo "No file given: scanning the bundled sample database." >&2
else
  file=$1
  shift
fi
[ "${1:-}" = "--" ] && shift
./scripts/setup.sh
cmake --preset release >/dev/null
# Only the program itself: the tests and benchmarks are built by ./test.sh.
echo "Building tessaril-cli (build/release/src/cli/tessaril-cli)..." >&2
if ! cmake --build --preset release --target tessaril-cli >build/release-build.log 2>&1; then
  cat build/release-build.log >&2
  exit 1
fi
build/release/src/cli/tessaril-cli scan "$file" "$@"
