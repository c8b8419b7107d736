#!/usr/bin/env bash
# Kills `tessel` in the middle of a download and in the middle of an update,
# then runs it again: nothing installed before is lost, and the interrupted
# download resumes from its ".down" file with a Range request.
# Usage: interrupt_test.sh TESSEL
set -euo pipefail
tessel_bin=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/cli_fixture.sh"

# Catalogue and archives: 11 is new, 12 updates an installed version 1.
"$python" - "$srv" <<'PY'
import os, sys, zipfile
srv = sys.argv[1]
open(os.path.join(srv, "Config", "pluglist.xml"), "w").write(
    '<?xml version="1.0" encoding="utf-8"?>\n<AddOnList DownLoadUrl="/files/">'
    '<ver>s1</ver>\n<P Id="11" Name="Big" Folder="Big" Ver="1" Url="11.zip"/>\n'
    '<P Id="12" Name="Upd" Folder="Upd" Ver="2" Url="12.zip"/>\n</AddOnList>\n')
# The download client writes in blocks of 1 MiB: big enough that a killed
# transfer leaves some behind.
def archive(name, folders, ver):
    with zipfile.ZipFile(os.path.join(srv, "files", name), "w", zipfile.ZIP_STORED) as z:
        for folder, project in folders:
            z.writestr(folder + "/tesselver.txt",
                       "## X-Tessel-Project-Name: %s\r\n## X-Tessel-UpdateVer: %s\r\n" % (project, ver))
            z.writestr(folder + "/data.bin", os.urandom(3000000 if folder == project else 1000))
archive("11.zip", [("Big", "Big")], "1")
archive("12.zip", [("Upd", "Upd"), ("Upd_Options", "Upd")], "2")
PY
for folder in Upd Upd_Options; do
  mkdir -p "$addons/$folder"
  printf '## X-Tessel-Project-Name: Upd\r\n## X-Tessel-UpdateVer: 1\r\n' >"$addons/$folder/tesselver.txt"
  echo old >"$addons/$folder/data.bin"
done

start_server 1000000
"$tessel_bin" set-game-path "$game/vaelpatchchinese.exe" >/dev/null
"$tessel_bin" list >/dev/null

wait_for_partial() {  # file
  for _ in $(seq 1 200); do
    size=$(stat -c %s "$1" 2>/dev/null || echo 0)
    [ "$size" -gt 0 ] && return 0
    sleep 0.02
  done
  fail "no partial download appeared at $1: $(tail -c 300 "$work/killed.txt")"
}

# 1. Killed while downloading a new addon.
"$tessel_bin" install 11 >"$work/killed.txt" 2>&1 &
client_pid=$!
wait_for_partial "$prog/Download/11.zip.down"
kill -9 "$client_pid"; wait "$client_pid" 2>/dev/null || true; client_pid=
partial=$(stat -c %s "$prog/Download/11.zip.down")
[ ! -d "$addons/Big" ] || fail "a half-downloaded addon was unpacked"

# 2. Killed while updating an installed addon.
"$tessel_bin" update-all --yes >/dev/null 2>&1 &
client_pid=$!
wait_for_partial "$prog/Download/12.zip.down"
kill -9 "$client_pid"; wait "$client_pid" 2>/dev/null || true; client_pid=
for folder in Upd Upd_Options; do
  [ "$(cat "$addons/$folder/data.bin")" = old ] || fail "the installed $folder was lost"
done
"$tessel_bin" list | grep -q '^  12 .*\[可更新\]' || fail "the list does not show 12 with its update"

# 3. Run again at full speed: the download resumes and both installs finish.
stop_server
start_server 0 "$port"
: >"$work/requests.log"
"$tessel_bin" install 11 >"$work/out.txt" 2>&1 || fail "the resumed install failed: $(cat "$work/out.txt")"
grep -q "^GET /files/11.zip bytes=$partial-" "$work/requests.log" ||
  grep -q "^GET /files/11.zip bytes=[1-9]" "$work/requests.log" || fail "the download did not resume: $(cat "$work/requests.log")"
[ "$(stat -c %s "$addons/Big/data.bin")" = 3000000 ] || fail "the resumed addon is incomplete"
"$tessel_bin" update-all --yes >"$work/out.txt" 2>&1 || fail "the update failed: $(cat "$work/out.txt")"
[ "$(stat -c %s "$addons/Upd/data.bin")" = 3000000 ] || fail "the update was not applied"
"$tessel_bin" list | grep '^  12 ' | grep -q '可更新' && fail "12 still offers an update"
echo "interrupt test passed"
