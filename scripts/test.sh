#!/usr/bin/env bash
# The test entry point: installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and warnings as errors, and runs every test with CTest.
# Extra arguments go to ctest (for example: scripts/test.sh -L data).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/install-deps.sh"
build="${KIOSK_TEST_BUILD:-$top/build-test}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKIOSK_SANITIZE=ON -DKIOSK_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
