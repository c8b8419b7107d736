#!/usr/bin/env bash
# The program's main job against a local catalogue server: sets the machine
# up, builds the `tessel` front end and `tessel-server`, serves the demo
# catalogue on a free loopback port, and manages the addons of a demo game
# directory: list, install three addons, list, update all, delete one, list.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

say() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

say "Setting up and building (build/native)"
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; else sudo bash scripts/setup.sh; fi
mkdir -p build
cmake -S . -B build/native -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo >build/native.demo-configure.log 2>&1 ||
  { cat build/native.demo-configure.log; exit 1; }
ninja -C build/native tessel tessel-server | tail -n 1
bin=$root/build/native/bin

work=$(mktemp -d "${TMPDIR:-/tmp}/vaeltessel-demo.XXXXXX")
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

say "Writing the demo catalogue and starting tessel-server"
"$bin/tessel-server" --make-demo "$work/catalogue"
"$bin/tessel-server" --root "$work/catalogue" --port 0 --quiet >"$work/server.out" 2>"$work/server.err" &
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

# A fresh program directory whose servers.ini names the local server, and a
# game directory with an older version of addon 3, a folder without a version
# file and a sub-folder whose main folder is gone.
program=$work/program
game=$work/game
addons=$game/Interface/Addons
mkdir -p "$program" "$addons" "$work/documents"
printf '[Servers]\r\nCatalogue=http://127.0.0.1:%s\r\nUpgrade=http://127.0.0.1:%s\r\nForum=http://127.0.0.1:%s\r\n' \
  "$port" "$port" "$port" >"$program/servers.ini"
: >"$game/vaelpatchchinese.exe"
unzip -q -o "$work/catalogue/old/3.zip" -d "$addons"
mkdir -p "$addons/MyNotes" "$addons/RetiredAddon_Options"
echo "-- kept by hand" >"$addons/MyNotes/MyNotes.lua"
printf '## X-Tessel-Project-Name: RetiredAddon\r\n## X-Tessel-UpdateVer: 1\r\n' \
  >"$addons/RetiredAddon_Options/tesselver.txt"

export TESSEL_PROGRAM_DIR=$program VAEL_DOCUMENTS=$work/documents
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
tessel update-all
tessel list

say "Delete addon ${ids[0]}"
tessel delete "${ids[0]}" --yes
tessel list

say "The game's addon directory after"
ls -1 "$addons"
tessel detail "${ids[1]}"
