#!/usr/bin/env bash
# Sets up, builds the dev preset (Debug, ASan and UBSan, warnings as errors)
# and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
