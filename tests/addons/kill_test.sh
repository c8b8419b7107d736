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
source "$here/cli_fixture.sh"
mkdir -p "$work/old"

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

start_server 0
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
