#!/usr/bin/env bash
# The program's main job against a local catalogue server: sets the machine
# up, builds what it needs, serves the demo catalogue on a free loopback port
# and manages the addons of a demo game directory.
#
#   scripts/demo.sh         VaelTessel.exe under wine: on your display when
#                           DISPLAY is set, else a scripted tour on a virtual
#                           display that leaves screenshots behind
#   scripts/demo.sh --cli   the same with the `tessel` command-line front end
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

mode=program
case "${1:-}" in
  "") ;;
  --cli) mode=cli ;;
  *) echo "usage: scripts/demo.sh [--cli]" >&2; exit 2 ;;
esac

say() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

say "Setting up and building (build/native$([ "$mode" = program ] && echo ", build/windows"))"
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; else sudo bash scripts/setup.sh; fi
mkdir -p build
configure() {  # dir, extra cmake arguments...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >"$dir.demo-configure.log" 2>&1 ||
    { cat "$dir.demo-configure.log"; exit 1; }
}
configure build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C build/native tessel tessel-server | tail -n 1
bin=$root/build/native/bin
if [ "$mode" = program ]; then
  configure build/windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  echo "building VaelTessel.exe (the first build of the Windows tree takes a while)"
  ninja -C build/windows VaelTessel Surgewell fake_game program_tour | tail -n 1
fi
winbin=$root/build/windows/bin

work=$(mktemp -d "${TMPDIR:-/tmp}/vaeltessel-demo.XXXXXX")
server_pid=
export WINEPREFIX=$root/build/demo-wineprefix
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  if [ "$mode" = program ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

say "Writing the demo catalogue and starting tessel-server"
"$bin/tessel-server" --make-demo "$work/catalogue"
# The demo program is the newest: its start-up check finds nothing to install.
sed -i 's/^softVer=.*/softVer=9125/' "$work/catalogue/upgrade.txt"
# On a virtual display the tour reaches the server through a gate of its own,
# which the server names as its address, so downloads can be slowed there.
public=()
gate=
if [ "$mode" = program ] && [ -z "${DISPLAY:-}" ]; then
  gate=$(free_port)
  public=(--public-url "http://127.0.0.1:$gate")
fi
"$bin/tessel-server" --root "$work/catalogue" --port 0 --quiet "${public[@]}" \
  >"$work/server.out" 2>"$work/server.err" &
server_pid=$!
port=
for _ in $(seq 1 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' "$work/server.out")
  [ -n "$port" ] && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$work/server.err"; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { echo "tessel-server did not start" >&2; exit 1; }
echo "catalogue server: http://127.0.0.1:$port"
served=${gate:-$port}

# A fresh program directory whose servers.ini names the local server, and a
# game directory with an older version of addon 3, a folder without a version
# file and a sub-folder whose main folder is gone.
program=$work/program
game=$work/game
addons=$game/Interface/Addons
mkdir -p "$program" "$addons" "$work/documents"
printf '[Servers]\r\nCatalogue=http://127.0.0.1:%s\r\nUpgrade=http://127.0.0.1:%s\r\nForum=http://127.0.0.1:%s\r\n' \
  "$served" "$served" "$served" >"$program/servers.ini"
unzip -q -o "$work/catalogue/old/3.zip" -d "$addons"
mkdir -p "$addons/MyNotes" "$addons/RetiredAddon_Options"
echo "-- kept by hand" >"$addons/MyNotes/MyNotes.lua"
printf '## X-Tessel-Project-Name: RetiredAddon\r\n## X-Tessel-UpdateVer: 1\r\n' \
  >"$addons/RetiredAddon_Options/tesselver.txt"
export VAEL_DOCUMENTS=$work/documents

if [ "$mode" = cli ]; then
  : >"$game/vaelpatchchinese.exe"
  export TESSEL_PROGRAM_DIR=$program
  tessel() {
    printf '\033[2m$ tessel %s\033[0m\n' "$*"
    "$bin/tessel" "$@"
  }

  say "The game's addon directory before"
  ls -1 "$addons"
  tessel set-game-path "$game/vaelpatchchinese.exe"

  say "List the installed addons (fetches the catalogue, removes the orphan sub-folder)"
  tessel list

  # Three catalogue addons that are not installed yet.
  mapfile -t ids < <(awk -F'\t' '!/^#/ && NF >= 4 && $1 != 3 { print $1 }' "$work/catalogue/catalogue.txt" | head -n 3)
  say "Install addons ${ids[*]}"
  tessel install "${ids[@]}"
  tessel list

  say "Update every addon with an update"
  tessel update-all --yes
  tessel list

  say "Delete addon ${ids[0]}"
  tessel delete "${ids[0]}" --yes
  tessel list

  say "The game's addon directory after"
  ls -1 "$addons"
  tessel detail "${ids[1]}"
  exit 0
fi

# The program with its upgrade module; the game's patcher is a stand-in that
# notes when "启动游戏" starts it (game/started.txt). The game path is set, so
# the program opens on the list of installed addons.
cp "$winbin/VaelTessel.exe" "$winbin/Surgewell.dll" "$program/"
cp "$winbin/fake_game.exe" "$game/vaelpatchchinese.exe"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
printf '[Setting]\r\nGamePath=%s\r\n' "$(windows_path "$game/vaelpatchchinese.exe")" >"$program/config"

if [ -n "${DISPLAY:-}" ]; then
  say "Starting VaelTessel.exe on your display ($DISPLAY)"
  cat <<EOF
The window shows the installed addons of the demo game on the left (QuestHelper
with the "可升级" badge: an update is waiting) and the catalogue's pages on the
right (blank under this wine, which has no HTML engine). Try "全部升级" (update
all), the "删除" link of a row, "全部删除", "启动游戏", the "X" (it only hides the
window: the program stays in the notification area) and the help button.
End the demo with "退出" in the menu of the notification-area icon, or press
Ctrl-C here.
EOF
  status=0
  bash scripts/wine-run.sh "$program/VaelTessel.exe" || status=$?
  say "The game's addon directory after"
  ls -1 "$addons"
  exit "$status"
fi

screens=$root/build/demo-screens
rm -rf "$screens"
mkdir -p "$screens"
say "No display: a scripted tour of VaelTessel.exe on a virtual one (Xvfb)"
export TESSEL_SCREENS_DIR=$screens
status=0
timeout -k 10 600 bash scripts/gui-session.sh \
  bash scripts/wine-run.sh "$winbin/program_tour.exe" "$program/VaelTessel.exe" "$gate" "$port" ||
  status=$?
say "The game's addon directory after"
ls -1 "$addons"
say "Screenshots of the tour in $screens"
ls -1 "$screens"
exit "$status"
