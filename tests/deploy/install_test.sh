#!/usr/bin/env bash
# `cmake --install` into a temporary prefix puts the kiosk, its unit, sample App.ini, sysusers.d
# and tmpfiles.d files, the demo server, the ID card reader simulator and its lay-card command
# where the packages have them, and the programs run from there.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null

fail=0
for program in bin/kiosk bin/stationd bin/lay-card; do
  [ -x "$prefix/$program" ] || { echo "missing executable: $program" >&2; fail=1; }
done
for file in lib/kiosk-demo/libtermb.so lib/systemd/system/kiosk.service lib/sysusers.d/kiosk.conf \
            lib/tmpfiles.d/kiosk.conf share/kiosk/App.ini; do
  [ -f "$prefix/$file" ] || { echo "missing file: $file" >&2; fail=1; }
done
[ "$fail" -eq 0 ] || exit 1

# The installed copies carry no link to the build tree.
"$prefix/bin/kiosk" --version | grep -qx 'kiosk [0-9.]*' || { echo "installed kiosk does not run" >&2; exit 1; }
"$prefix/bin/stationd" --help > /dev/null 2>&1 || { echo "installed stationd does not run" >&2; exit 1; }
home=$(mktemp -d)
trap 'rm -rf "$prefix" "$home"' EXIT
KIOSK_HOME="$home" "$prefix/bin/lay-card" 440101198001010011 > /dev/null
[ -n "$(ls -A "$home/idcard-spool")" ] || { echo "installed lay-card wrote no card" >&2; exit 1; }
echo "installed into $prefix: bin/kiosk bin/stationd bin/lay-card lib/kiosk-demo/libtermb.so, the unit, sysusers.d, tmpfiles.d, App.ini"
