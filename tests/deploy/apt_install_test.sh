#!/usr/bin/env bash
# The packages installed for real with apt: the user kiosk in dialout, /var/lib/kiosk with the
# sample App.ini for that user alone, the unit clean under systemd-analyze verify, and the
# kiosk runs (as root and as kiosk). Needs root; elsewhere skipped (exit 77).
#   apt_install_test.sh PACKAGE_DIR
set -euo pipefail
packages=$(cd "$1" && pwd)
if [ "$(id -u)" -ne 0 ]; then echo "skipped: installing a package needs root"; exit 77; fi
shopt -s nullglob
debs=("$packages"/kiosk_*.deb "$packages"/kiosk-demo_*.deb)
[ ${#debs[@]} -eq 2 ] || { echo "no packages in $packages (deploy_package makes them)" >&2; exit 1; }

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=120 "${debs[@]}" > "$packages/apt-install.log" 2>&1 ||
  { cat "$packages/apt-install.log" >&2; exit 1; }

fail() { echo "$*" >&2; exit 1; }
getent passwd kiosk > /dev/null || fail "no user kiosk"
id -nG kiosk | tr ' ' '\n' | grep -qx dialout || fail "kiosk is not in dialout: $(id -nG kiosk)"
[ "$(getent passwd kiosk | cut -d: -f7)" = /usr/sbin/nologin ] || fail "kiosk can log in: $(getent passwd kiosk)"
[ "$(stat -c '%U:%G %a' /var/lib/kiosk)" = "kiosk:kiosk 750" ] || fail "/var/lib/kiosk is $(stat -c '%U:%G %a' /var/lib/kiosk)"
[ "$(stat -c '%U:%G %a' /var/lib/kiosk/App.ini)" = "kiosk:kiosk 600" ] ||
  fail "/var/lib/kiosk/App.ini is $(stat -c '%U:%G %a' /var/lib/kiosk/App.ini)"
cmp -s /var/lib/kiosk/App.ini /usr/share/kiosk/App.ini || fail "/var/lib/kiosk/App.ini is not the sample"

unit=$(dpkg -L kiosk | grep '/systemd/system/kiosk.service$') || fail "the package has no unit"
report=$(systemd-analyze verify "$unit" 2>&1) || fail "systemd-analyze verify: $report"
[ -z "$report" ] || fail "systemd-analyze verify: $report"

version=$(kiosk --version) || fail "kiosk --version failed"
[[ "$version" =~ ^kiosk\ [0-9.]+$ ]] || fail "kiosk --version: $version"
runuser -u kiosk -- kiosk --version > /dev/null || fail "kiosk does not run as the user kiosk"
runuser -u kiosk -- stationd --help > /dev/null || fail "stationd of kiosk-demo does not run"
echo "installed: $(dpkg-query -W -f='${Package} ${Version}, ' kiosk kiosk-demo)user $(id kiosk), unit verified, $version"
