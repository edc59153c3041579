#!/usr/bin/env bash
# Pictures of the window's main states under a virtual X display:
#   scripts/screenshots.sh [FILE] [FOLDER] [SCHEMA]
# FILE defaults to the bundled sample database, FOLDER to build/screenshots;
# SCHEMA, when given, goes in the options dialog's schema of lost tables.
# Builds the window in the release preset first (PRESET=dev to use that one).
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${2:-build/screenshots}
./scripts/setup.sh
preset=${PRESET:-release}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target ui_screenshots >build/screenshots-build.log 2>&1 ||
  { cat build/screenshots-build.log >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ $# -ge 1 ]; then
  file=$1
else
  gunzip -c data/sample/pubs.mdf.gz >"$work/pubs.mdf"
  file=$work/pubs.mdf
fi
cp data/collation.txt "build/$preset/src/ui/"
mkdir -p "$folder"
# A sanitizer build reports the leaks of Qt's own caches at exit; ours still show.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/src/ui/lsan_qt.supp}
XDG_RUNTIME_DIR=$work xvfb-run -a -s "-screen 0 1280x800x24" \
  "build/$preset/src/ui/ui_screenshots" "$file" "$folder" ${3:+"$3"}
ls "$folder"/*.png
