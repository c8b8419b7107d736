#!/usr/bin/env bash
# Kills `tessel` with SIGKILL at moments spread over an update and over a
# fresh install of an addon of many files, then runs it again: whatever the
# moment, the addon directory holds the whole old or the whole new state,
# never a mix, and no work directory is left behind.
# Usage: kill_test.sh TESSEL [ROUNDS]
set -euo pipefail
tessel_bin=$1
rounds=${2:-6}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
server_pid=
client_pid=
cleanup() {
  [ -n "$client_pid" ] && kill -9 "$client_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3

srv=$work/srv prog=$work/prog game=$work/game
addons=$game/Interface/Addons
mkdir -p "$srv/Config" "$srv/files" "$prog" "$addons" "$work/docs" "$work/old"
: >"$game/vaelpatchchinese.exe"
export TESSEL_PROGRAM_DIR=$prog VAEL_DOCUMENTS=$work/docs

"$python" - "$srv" "$work/old" <<'PY'
import os, sys, zipfile
srv, old = sys.argv[1], sys.argv[2]
open(os.path.join(srv, "Config", "pluglist.xml"), "w").write(
    '<?xml version="1.0" encoding="utf-8"?>\n<AddOnList DownLoadUrl="/files/">'
    '<ver>s1</ver>\n<P Id="12" Name="Upd" Folder="Upd" Ver="2" Url="12.zip"/>\n</AddOnList>\n')
def version(folder, project, ver):
    return "## X-Tessel-Project-Name: %s\r\n## X-Tessel-UpdateVer: %s\r\n" % (project, ver)
with zipfile.ZipFile(os.path.join(srv, "files", "12.zip"), "w", zipfile.ZIP_STORED) as z:
    for folder in ("Upd", "Upd_Options"):
        z.writestr(folder + "/tesselver.txt", version(folder, "Upd", 2))
        for i in range(1500 if folder == "Upd" else 200):
            z.writestr("%s/new%04d.lua" % (folder, i), "new %d\n" % i)
for folder in ("Upd", "Upd_Options"):
    os.makedirs(os.path.join(old, folder))
    open(os.path.join(old, folder, "tesselver.txt"), "w").write(version(folder, "Upd", 1))
    for i in range(1000 if folder == "Upd" else 100):
        open(os.path.join(old, folder, "old%04d.lua" % i), "w").write("old %d\n" % i)
PY

: >"$work/server.out"
"$python" "$here/stall_server.py" "$srv" 0 "$work/requests.log" >"$work/server.out" &
server_pid=$!
port=
for _ in $(seq 1 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server.out")
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || fail "the test server did not start"
printf '[Servers]\nCatalogue=http://127.0.0.1:%s\n' "$port" >"$prog/servers.ini"
sed -i "s#DownLoadUrl=\"[^\"]*\"#DownLoadUrl=\"http://127.0.0.1:$port/files/\"#" "$srv/Config/pluglist.xml"
"$tessel_bin" set-game-path "$game/vaelpatchchinese.exe" >/dev/null

manifest() { (cd "$addons" && find . -type f -print0 | sort -z | xargs -0 -r md5sum) | md5sum; }
plant_old() { rm -rf "$addons"/*; cp -r "$work/old/." "$addons/"; }

# The two states every round must end in, measured once.
plant_old
old_state=$(manifest)
"$tessel_bin" update-all --yes >/dev/null 2>&1 || fail "a clean update failed"
new_state=$(manifest)
rm -rf "$addons"/*
empty_state=$(manifest)

for round in $(seq 1 "$rounds"); do
  # Spread the kills from the download over the unpacking to the swap.
  delay=$(awk -v r="$round" -v n="$rounds" 'BEGIN { printf "%.3f", 0.05 + 2.3 * (r - 1) / n }')
  for command in "update-all --yes" "install 12"; do
    if [ "$command" = "update-all --yes" ]; then plant_old; before=$old_state; else rm -rf "$addons"/*; before=$empty_state; fi
    # shellcheck disable=SC2086
    "$tessel_bin" $command >/dev/null 2>&1 &
    client_pid=$!
    sleep "$delay"
    kill -9 "$client_pid" 2>/dev/null || true
    wait "$client_pid" 2>/dev/null || true
    client_pid=
    "$tessel_bin" list >/dev/null 2>&1 || fail "the list after a kill failed"
    after=$(manifest)
    [ "$after" = "$before" ] || [ "$after" = "$new_state" ] ||
      fail "'$command' killed after ${delay}s left a mix: $(ls "$addons"; ls "$addons"/Upd | head -3)"
    [ ! -e "$game/Interface/.tessel-update" ] && [ ! -e "$game/Interface/.stage" ] ||
      fail "'$command' killed after ${delay}s left work directories"
  done
done
echo "kill test passed"
