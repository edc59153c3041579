#!/usr/bin/env bash
# Sets up, builds the release preset and scans a data file:
#   ./run.sh FILE [-- CLI ARGS]    e.g. ./run.sh db.mdf -- --advanced --log-dir /tmp
set -euo pipefail
cd "$(dirname "$0")"
if [ $# -eq 0 ] || [ "$1" = "--" ]; then
  echo "usage: ./run.sh FILE [-- CLI ARGS]" >&2
  echo "  Builds tessaril-cli and runs 'tessaril-cli scan FILE CLI ARGS'." >&2
  echo "  'build/release/src/cli/tessaril-cli --help' lists every command." >&2
  exit 2
fi
file=$1
shift
[ "${1:-}" = "--" ] && shift
./scripts/setup.sh
cmake --preset release >/dev/null
if ! cmake --build --preset release >build/release-build.log 2>&1; then
  cat build/release-build.log >&2
  exit 1
fi
exec build/release/src/cli/tessaril-cli scan "$file" "$@"
