#!/usr/bin/env bash
# Builds the Debian packages kiosk and kiosk-demo (cmake/KioskPackage.cmake): a release build
# without tests into build-package/ (or $KIOSK_PACKAGE_BUILD), `cpack -G DEB`, then lintian on
# each package, which must report no error. Prints each package with its size and lintian's
# remaining tags.
#   scripts/package.sh            build (installing what is missing first)
#   scripts/package.sh --no-deps  build without looking for missing packages
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ "${1:-}" = "--no-deps" ] || "$top/scripts/install-deps.sh"
build="${KIOSK_PACKAGE_BUILD:-$top/build-package}"
# ccache keys on paths relative to the checkout, so every clone shares the compiled objects.
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
mkdir -p "$build"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DKIOSK_BUILD_TESTS=OFF -DKIOSK_BUILD_BENCH=OFF > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB > cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }

status=0
for deb in "$build"/kiosk_*.deb "$build"/kiosk-demo_*.deb; do
  [ -f "$deb" ] || { echo "cpack made no $(basename "$deb")" >&2; exit 1; }
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, $(dpkg-deb -f "$deb" Installed-Size) KiB installed"
  echo "  Depends: $(dpkg-deb -f "$deb" Depends)"
  # lintian's exit status is non-zero for errors only (--fail-on error).
  report=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1) || status=1
  [ -z "$report" ] && echo "  lintian: clean" || sed 's/^/  lintian: /' <<< "$report"
done
[ "$status" -eq 0 ] || echo "lintian reports errors" >&2
exit "$status"
