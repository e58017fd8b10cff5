#!/usr/bin/env bash
# Fuzzes every target of fuzz/ for a while (default 600 s each, one after the other) and prints
# per target the executions and whether it crashed; exits non-zero when any target crashed.
#   scripts/fuzz.sh [SECONDS]      build the fuzz build and fuzz each target SECONDS long
#   scripts/fuzz.sh --build-only   only configure and build the fuzz build (scripts/test.sh)
# The fuzz build (build-fuzz/, or $KIOSK_FUZZ_BUILD) is clang with libFuzzer, ASan and UBSan,
# and holds only the fuzz targets and the libraries they link. Seeds come from
# fuzz/corpus/<target>/ and are never written to; crashing inputs and the logs are kept in
# build-fuzz/fuzz-artifacts/<target>/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${KIOSK_FUZZ_BUILD:-$top/build-fuzz}"
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
seconds=600
build_only=false
case "${1:-}" in
  --build-only) build_only=true ;;
  "") ;;
  *[!0-9]* | 0) echo "usage: scripts/fuzz.sh [SECONDS] | --build-only" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DKIOSK_BUILD_FUZZ=ON -DKIOSK_SANITIZE=ON -DKIOSK_WERROR=ON -DKIOSK_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzz_targets
$build_only && exit 0

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp
crashed=0
for binary in "$build"/bin/fuzz_*; do
  name=${binary##*/fuzz_}
  "$top/fuzz/run.sh" "$binary" "$top/fuzz/corpus/$name" "$seconds" "$build/fuzz-artifacts/$name" || crashed=1
done
exit "$crashed"
