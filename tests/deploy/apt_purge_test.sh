#!/usr/bin/env bash
# The installed packages purged with apt: the programs, the unit and /var/lib/kiosk are gone.
# The user kiosk stays, as Debian keeps system users. Needs root; elsewhere skipped (exit 77).
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then echo "skipped: removing a package needs root"; exit 77; fi
export DEBIAN_FRONTEND=noninteractive
apt-get purge -y -q -o DPkg::Lock::Timeout=120 kiosk kiosk-demo > /dev/null 2>&1 || { echo "apt-get purge failed" >&2; exit 1; }

fail() { echo "$*" >&2; exit 1; }
for package in kiosk kiosk-demo; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'installed'; then fail "$package is still installed"; fi
done
for path in /usr/bin/kiosk /usr/bin/stationd /usr/bin/lay-card /usr/lib/kiosk-demo /lib/systemd/system/kiosk.service \
            /usr/lib/systemd/system/kiosk.service /usr/lib/sysusers.d/kiosk.conf /usr/lib/tmpfiles.d/kiosk.conf \
            /usr/share/kiosk /var/lib/kiosk; do
  [ ! -e "$path" ] || fail "$path is left after the purge"
done
echo "purged: programs, unit, sysusers.d, tmpfiles.d and /var/lib/kiosk gone; the user kiosk stays"
