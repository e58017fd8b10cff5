#!/usr/bin/env bash
# deploy/kiosk.service checked by systemd-analyze verify against a real installation: the
# project is installed into a temporary prefix, the unit's /usr/bin/kiosk is pointed there,
# and verify must pass without a word. verify checks the compositor that ExecStart starts, so
# the program the compositor runs is checked here as well.
#   unit_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null

unit="$work/kiosk.service"
sed "s|/usr/bin/kiosk|$prefix/bin/kiosk|g" "$source/deploy/kiosk.service" > "$unit"
report=$(cd "$work" && systemd-analyze verify "$unit" 2>&1) || { echo "$report" >&2; exit 1; }
[ -z "$report" ] || { echo "systemd-analyze verify: $report" >&2; exit 1; }

exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
read -r -a words <<< "$exec_start"
program=""
for i in "${!words[@]}"; do
  if [ "${words[$i]}" = "--" ]; then program=${words[$((i + 1))]}; break; fi
done
[ -n "$program" ] || { echo "ExecStart names no program after --: $exec_start" >&2; exit 1; }
[ -x "$program" ] || { echo "ExecStart runs $program, which the installation lacks" >&2; exit 1; }
"$program" --version > /dev/null

# The application folder the kiosk is given is the one systemd makes for the unit.
state=$(sed -n 's/^StateDirectory=//p' "$unit")
home=""
for i in "${!words[@]}"; do
  if [ "${words[$i]}" = "--home" ]; then home=${words[$((i + 1))]}; fi
done
[ -n "$state" ] && [ "$home" = "/var/lib/$state" ] ||
  { echo "the kiosk's --home '$home' is not the unit's StateDirectory /var/lib/$state" >&2; exit 1; }
echo "systemd-analyze verify: clean; cage runs ${program#"$prefix"/}"
