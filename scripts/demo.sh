#!/usr/bin/env bash
# The demo: installs what is missing, builds (release), starts the demo station server on a
# free loopback port with fresh demo data, writes an App.ini for it into demo/ and starts the
# kiosk there. Without a display the kiosk plays one driver's day by itself under Xvfb (log in,
# check a typed and a scanned ticket, print the slip, the check screen closing) and leaves a
# screenshot of each screen and the slip PDF in demo/road/. Stopping the kiosk stops the server.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/install-deps.sh"
build="${KIOSK_DEMO_BUILD:-$top/build-demo}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIOSK_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target kiosk kiosk-road stationd termb lay-card

demo="${KIOSK_DEMO_HOME:-$top/demo}"
mkdir -p "$demo"
# Port 0: the server picks a free port and names it on its first line.
"$build/bin/stationd" --port 0 --db "$demo/stationd.db" --fresh > "$demo/stationd.out" 2> "$demo/stationd.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
port=""
for _ in $(seq 100); do
  port=$(sed -n 's|.*127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$demo/stationd.out" 2>/dev/null | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "stationd did not start; see $demo/stationd.log" >&2; exit 1; }

cat > "$demo/App.ini" <<INI
[server]
ip=127.0.0.1
port=$port
[userinfo]
username=kiosk01
password=123456
automin=60
[ticketoutlet]
code=ZZ01
[idcard]
library=$build/lib/libtermb.so
INI
mkdir -p "$demo/idcard-spool"

cat <<TXT
Demo station server on http://127.0.0.1:$port/KtBusWeb/ (data: server/README.md)
  plates and drivers: 粤A12345 / 440101198001010011, 粤A23456 / 440101198501010022,
                      粤A34567 / 440101199001010033
  tickets to check on 粤A12345: 11011 … 11030 (typed; padded to 0000011011 …)
  lay an ID card:     KIOSK_HOME=$demo $build/bin/lay-card 440101198001010011
TXT

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$build/bin/kiosk" --home "$demo"
else
  road="$demo/road"
  rm -rf "$road" "$demo/prints"
  echo "No display: the kiosk plays the road by itself under Xvfb"
  xvfb-run -a -s "-screen 0 1920x1080x24" "$build/bin/kiosk-road" --home "$demo" --road-out "$road"
  pdftoppm -r 100 -png -singlefile "$road/slip.pdf" "$road/slip" 2>/dev/null || true
  echo "Screens of the road and the slip (slip.pdf, slip.png) are in $road:"
  ls -1 "$road"
fi
