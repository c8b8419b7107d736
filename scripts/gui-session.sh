#!/usr/bin/env bash
# Runs a command with what the Windows programs need under wine: an X server
# (Xvfb on a free display, unless DISPLAY is already set) and one wine server
# kept alive for the whole command, so that test programs starting wine in
# parallel never race to start or stop it. Both are stopped at the end.
#   scripts/gui-session.sh ctest --test-dir build/windows
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  for display in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    # Xvfb is ready when its socket appears; give up on this display if it exits.
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$display" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$display" ]; then
      export DISPLAY=":$display"
      break
    fi
    xvfb_pid=
  done
  [ -n "${DISPLAY:-}" ] || { echo "gui-session: no X server could be started" >&2; exit 1; }
fi

# The prefix (made once), then one wine server, persistent until the end. The
# prefix comes first: making it waits for the wine server to go idle, which a
# persistent server never does. Then wine's own services start once, writing
# nowhere, so that none of them holds a test runner's output open.
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
bash "$root/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
wineserver -w 2>/dev/null || true
wineserver -p
bash "$root/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
"$@"
