#!/usr/bin/env bash
# Sets up, builds the dev preset (Debug, ASan and UBSan, warnings as errors)
# and runs every test; then the session and window tests once more under
# ThreadSanitizer, since their jobs run on worker threads.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
cmake --preset tsan >/dev/null
cmake --build --preset tsan --target session_test ui_test
# Only the session and window tests are built there; the rest show as not built
# (installing is checked in the dev tree).
TSAN_OPTIONS="halt_on_error=1" ctest --preset tsan -E "_NOT_BUILT|^fuzz_replay|^cli_end_to_end|^cli_install"
