#!/usr/bin/env bash
# Builds the installer if needed and runs it under Wine, as a Chinese system
# would: prefix build/run-prefix (kept between runs), D: mapped to
# build/run-drive-d.
#
#   tools/run.sh
#
# With $DISPLAY set, the installer shows there and this waits until it exits.
# Without, it runs on a private 1920x1080 Xvfb screen: after 3 s a screenshot
# goes to build/screenshots/run-<time>.png and the installer is closed.
# Exits with the installer's exit code.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
installer=$repo/build/win64/app/QuorvaneSetup.exe

"$repo/tools/install-deps.sh"
if [ ! -f "$repo/build/win64/build.ninja" ]; then
  (cd "$repo" && cmake --preset win64)
fi
(cd "$repo" && cmake --build --preset win64 --target QuorvaneSetup)

source "$repo/tools/wine-session.sh"
trap ws_cleanup EXIT

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  ws_start_xvfb 1920x1080
fi
ws_use_prefix "$repo/build/run-prefix"
ws_map_drive d "$repo/build/run-drive-d"
echo "run: D: is $repo/build/run-drive-d"

cd "$(dirname "$installer")"
if [ $headless = 0 ]; then
  status=0
  wine "$installer" || status=$?
  echo "run: installer exit code $status"
  exit "$status"
fi

wine "$installer" &
installer_pid=$!
sleep 3

screenshot=$repo/build/screenshots/run-$(date +%Y%m%d-%H%M%S).png
mkdir -p "$(dirname "$screenshot")"
import -window root "$screenshot"
echo "run: screenshot $screenshot"

# Close it as a user would (Esc); if it does not go within 5 s, stop Wine.
xdotool key Escape
for _ in $(seq 50); do
  kill -0 "$installer_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$installer_pid" 2>/dev/null; then
  echo "run: the installer did not close on Esc; stopping it" >&2
  wineserver -k
fi
status=0
wait "$installer_pid" || status=$?
echo "run: installer exit code $status"
exit "$status"
