#!/usr/bin/env bash
# The test entry point: installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and warnings as errors, and runs every test with CTest. Then
# every fuzz target is fuzzed for a few seconds in the clang fuzz build (scripts/fuzz.sh
# --build-only; its tests fuzz_<target>_run); a crash fails the run.
# Extra arguments go to both ctest runs (for example: scripts/test.sh -L data).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/install-deps.sh"
build="${KIOSK_TEST_BUILD:-$top/build-test}"
# ccache keys on paths relative to the checkout and leaves the build folder out of the key
# (debug information would otherwise hold it), so every clone shares the compiled objects.
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKIOSK_SANITIZE=ON -DKIOSK_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"
"$top/scripts/fuzz.sh" --build-only
fuzz_build="${KIOSK_FUZZ_BUILD:-$top/build-fuzz}"

fuzzing=0
(cd "$fuzz_build" && ctest --output-on-failure --parallel "$(nproc)" -R '^fuzz_.*_run$' "$@") || fuzzing=$?
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
if [ "$fuzzing" -ne 0 ]; then
  echo "fuzzing found a fault (see the fuzz_*_run output above and $fuzz_build/fuzz-artifacts/)" >&2
  exit "$fuzzing"
fi
