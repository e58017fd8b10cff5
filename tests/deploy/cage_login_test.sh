#!/usr/bin/env bash
# The installed kiosk started the way its unit starts it (the unit's ExecStart and Environment,
# as the user kiosk, under cage on a headless Wayland output) against stationd of kiosk-demo:
# the capture of the output (grim) must show the login screen as the kiosk drew it, filling the
# output. Needs root (to be the user kiosk; cage refuses to run as root), the installed
# packages, cage and grim; elsewhere skipped (exit 77).
#
# The output is turned half round (cage -r -r) and grim turns the capture back. Unturned, cage
# hands a window that covers the whole output to the output as it is (direct scan-out), and
# the headless output's screen copy then gives a black picture (a window one pixel smaller is
# captured as drawn). Turned, cage composes every frame, and grim sees what the screen shows.
#   cage_login_test.sh SCREENCOMPARE BUILD_DIR
set -euo pipefail
compare=$1
build=$2
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "$*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "running the kiosk as the user kiosk needs root"
command -v cage > /dev/null && command -v grim > /dev/null || skip "cage or grim is not installed"
unit=$(dpkg -L kiosk 2>/dev/null | grep '/systemd/system/kiosk.service$') && getent passwd kiosk > /dev/null ||
  skip "the kiosk package is not installed (deploy_apt_install installs it)"
command -v stationd > /dev/null || skip "stationd (kiosk-demo) is not installed"

work=$(mktemp -d)
chmod 755 "$work"
server_pid="" cage_pid=""
# cage starts an Xwayland display as kiosk; killed, it leaves its socket and lock behind.
x_before=$(ls -d /tmp/.X11-unix /tmp/.X11-unix/X* /tmp/.X*-lock 2> /dev/null || true)
cleanup() {
  [ -z "$cage_pid" ] || kill "$cage_pid" 2> /dev/null || true
  [ -z "$server_pid" ] || kill "$server_pid" 2> /dev/null || true
  wait 2> /dev/null || true
  for left in $(ls -d /tmp/.X11-unix/X* /tmp/.X*-lock /tmp/.X11-unix 2> /dev/null); do
    grep -qxF "$left" <<< "$x_before" || rm -rf "$left"
  done
  [ ! -f "$work/App.ini.packaged" ] || install -o kiosk -g kiosk -m 600 "$work/App.ini.packaged" /var/lib/kiosk/App.ini
  rm -rf "$work"
}
trap cleanup EXIT

stationd --port 0 --db "$work/station.db" --fresh > "$work/stationd.log" 2>&1 &
server_pid=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's|.*listening on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/stationd.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "stationd did not start: $(cat "$work/stationd.log")"

# The packaged App.ini pointed at the server, and the card reader simulator of kiosk-demo with a
# spool folder, so the reader opens (a reader that does not open stops the start with a box).
cp /var/lib/kiosk/App.ini "$work/App.ini.packaged"
sed -e "s/^ip=.*/ip=127.0.0.1/" -e "s/^port=.*/port=$port/" \
    -e "s|^library=.*|library=/usr/lib/kiosk-demo/libtermb.so|" "$work/App.ini.packaged" > "$work/App.ini"
install -o kiosk -g kiosk -m 600 "$work/App.ini" /var/lib/kiosk/App.ini
install -d -o kiosk -g kiosk -m 700 /var/lib/kiosk/idcard-spool

# The unit's command and environment; the screen is kept by the kiosk itself as well.
exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
read -r -a command <<< "$exec_start"
[ "${command[0]}" = /usr/bin/cage ] || fail "the unit does not start cage: $exec_start"
mapfile -t unit_env < <(sed -n 's/^Environment=//p' "$unit")
install -d -o kiosk -g kiosk -m 700 "$work/run" "$work/shot"
window="$work/shot/window.png"
output="$work/shot/output.png"
setpriv --reuid=kiosk --regid=kiosk --init-groups -- env -i PATH=/usr/bin:/bin HOME=/var/lib/kiosk \
  XDG_RUNTIME_DIR="$work/run" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${unit_env[@]}" \
  "${command[0]}" -r -r "${command[@]:1}" --screenshot "$window" > "$work/cage.log" 2>&1 &
cage_pid=$!

for _ in $(seq 600); do
  grep -q "screenshot saved" "$work/cage.log" && break
  kill -0 "$cage_pid" 2> /dev/null || fail "cage ended: $(cat "$work/cage.log")"
  sleep 0.1
done
grep -q "screenshot saved" "$work/cage.log" || fail "the kiosk showed no window within 60 s: $(cat "$work/cage.log")"
socket=$(cd "$work/run" && ls wayland-* | grep -v lock | head -1)
setpriv --reuid=kiosk --regid=kiosk --init-groups -- env XDG_RUNTIME_DIR="$work/run" WAYLAND_DISPLAY="$socket" \
  grim "$output" || fail "grim failed"
kill -0 "$cage_pid" 2> /dev/null || fail "the kiosk ended before the capture: $(cat "$work/cage.log")"
grep -q "system/login.action.*flag=1" "$work/stationd.log" || fail "the kiosk made no staff login: $(cat "$work/stationd.log")"

# Kept for a look: the capture and the kiosk's own picture of its window.
mkdir -p "$build/deploy-screens"
cp "$output" "$build/deploy-screens/cage-login.png"
cp "$window" "$build/deploy-screens/cage-login-window.png"
"$compare" "$output" "$window" || fail "the capture is not the login screen as drawn (see $build/deploy-screens/)"
echo "captured the login screen under cage: $build/deploy-screens/cage-login.png"
