#!/usr/bin/env bash
# The front end's share of data safety: a game path that does not fit is
# refused and a cut one is never acted on; two managers never work at once;
# Ctrl-C stops a download in order; delete checks the folders, not the Id.
# Usage: cli_safety_test.sh TESSEL
set -euo pipefail
tessel_bin=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/cli_fixture.sh"

# 1. A path longer than the program keeps is refused; the old one stays.
"$tessel_bin" set-game-path "$game/vaelpatchchinese.exe" >/dev/null
long="$work/$(printf 'x%.0s' $(seq 1 250))/vaelpatchchinese.exe"
if "$tessel_bin" set-game-path "$long" 2>"$work/err.txt"; then fail "a 270-byte path was saved"; fi
grep -q "字节" "$work/err.txt" || fail "no clear reason: $(cat "$work/err.txt")"
"$tessel_bin" --json settings | grep -q "\"gamePath\":\"$game/vaelpatchchinese.exe\"" ||
  fail "the old game path was lost: $("$tessel_bin" --json settings)"

# 2. A long path stored by hand is cut on reading to a parent directory; no
#    command acts on that parent's addons.
mkdir -p "$work/Interface/Addons/Victim"
echo keep >"$work/Interface/Addons/Victim/keep.txt"
cp "$prog/config" "$work/config.good"
printf '[Setting]\r\nGamePath=%s\r\n' "$work/$(printf 'y%.0s' $(seq 1 300))/game.exe" >"$prog/config"
if "$tessel_bin" delete-all --yes >/dev/null 2>"$work/err.txt"; then fail "delete-all ran on a cut path"; fi
[ -f "$work/Interface/Addons/Victim/keep.txt" ] || fail "the parent's addons were deleted"
if "$tessel_bin" list >"$work/out.txt" 2>&1; then fail "a cut path was used for the list"; fi
grep -q "当前未设置游戏路径" "$work/out.txt" || fail "the list does not say the game path is unset: $(cat "$work/out.txt")"
cp "$work/config.good" "$prog/config"

# 3. Two managers: a second one waits briefly, then says so and changes nothing.
"$python" - "$srv" <<'PY'
import os, sys, zipfile
srv = sys.argv[1]
open(os.path.join(srv, "Config", "pluglist.xml"), "w").write(
    '<?xml version="1.0" encoding="utf-8"?>\n<AddOnList DownLoadUrl="/files/">'
    '<ver>s1</ver>\n<P Id="11" Name="Big" Folder="Big" Ver="1" Url="11.zip"/>\n</AddOnList>\n')
with zipfile.ZipFile(os.path.join(srv, "files", "11.zip"), "w", zipfile.ZIP_STORED) as z:
    z.writestr("Big/tesselver.txt", "## X-Tessel-UpdateVer: 1\r\n")
    z.writestr("Big/data.bin", os.urandom(3000000))
PY
start_server 200000
"$tessel_bin" list >/dev/null

"$tessel_bin" install 11 >"$work/first.txt" 2>&1 &
client_pid=$!
for _ in $(seq 1 400); do
  grep -q "GET /files/11.zip" "$work/requests.log" 2>/dev/null && break
  sleep 0.02
done
grep -q "GET /files/11.zip" "$work/requests.log" || fail "the first install did not start: $(cat "$work/first.txt")"
for second in "list" "install 11" "delete-all --yes"; do
  # shellcheck disable=SC2086
  if "$tessel_bin" $second >"$work/out.txt" 2>"$work/err.txt"; then fail "'$second' ran beside an install"; fi
  grep -q "另一个插件管理器正在处理插件" "$work/err.txt" || fail "'$second': $(cat "$work/err.txt")"
done

# 4. Ctrl-C stops the download in order and keeps what arrived.
kill -INT "$client_pid"
for _ in $(seq 1 1000); do
  kill -0 "$client_pid" 2>/dev/null || break
  sleep 0.02
done
if kill -0 "$client_pid" 2>/dev/null; then fail "Ctrl-C did not stop the install"; fi
status=0
wait "$client_pid" || status=$?
client_pid=
[ "$status" = 1 ] || fail "an interrupted install exited with $status: $(cat "$work/first.txt")"
grep -q "已中断" "$work/first.txt" || fail "no word of the interruption: $(cat "$work/first.txt")"
[ "$(stat -c %s "$prog/Download/11.zip.down")" -gt 0 ] || fail "what arrived was not kept"
[ ! -d "$addons/Big" ] || fail "an interrupted download was unpacked"
"$tessel_bin" list >/dev/null || fail "the lock outlived its manager"

# 5. delete checks the folders: the rescan gives 20001 to another folder.
mkdir -p "$addons/LocalA" "$addons/LocalB"
"$tessel_bin" list | grep -q '^  20001 .* LocalA' || fail "LocalA is not 20001: $("$tessel_bin" list)"
"$tessel_bin" delete 20001 --yes >"$work/out.txt" 2>&1 || fail "delete reported failure: $(cat "$work/out.txt")"
[ ! -d "$addons/LocalA" ] || fail "LocalA was not deleted"
[ -d "$addons/LocalB" ] || fail "LocalB was deleted too"
echo "cli safety test passed"
