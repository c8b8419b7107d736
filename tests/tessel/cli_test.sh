#!/usr/bin/env bash
# The front end as a player and a script meet it: help and exit statuses,
# the game path, an unreachable, stopped or silent catalogue server, errors on
# stderr, JSON, prompts, progress output and what read-only commands leave
# on disk.
# Usage: cli_test.sh TESSEL TESSEL_SERVER
set -euo pipefail
tessel_bin=$1
server_bin=$2
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/loopback_jobs.sh"
work=$(mktemp -d)
server_pid=
silent_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ -n "$silent_pid" ] && kill "$silent_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3

prog=$work/prog game=$work/game
addons=$game/Interface/Addons
mkdir -p "$addons" "$work/docs" "$work/demo"
: >"$game/vaelpatchchinese.exe"
export TESSEL_PROGRAM_DIR=$prog VAEL_DOCUMENTS=$work/docs

# run EXPECTED_STATUS ARGS...: runs tessel with stdout in out.txt and stderr in
# err.txt and checks the exit status.
run() {
  local expected=$1 status=0
  shift
  "$tessel_bin" "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null || status=$?
  [ "$status" = "$expected" ] ||
    fail "tessel $* exited $status, not $expected: $(cat "$work/out.txt" "$work/err.txt")"
}
has_out() { grep -q -- "$1" "$work/out.txt" || fail "stdout lacks '$1': $(cat "$work/out.txt")"; }
has_err() { grep -q -- "$1" "$work/err.txt" || fail "stderr lacks '$1': $(cat "$work/err.txt")"; }
one_reason() {
  [ "$(wc -l <"$work/err.txt")" -ge 1 ] || fail "exit 1 without a reason on stderr"
}

# 1. Help, usage errors and read-only commands leave no program directory.
for args in "help" "--help" "-h" "set-game-path --help" "catalogue --help" "help delete" \
  "list -h" "--version"; do
  # shellcheck disable=SC2086
  run 0 $args
  [ -s "$work/out.txt" ] || fail "tessel $args printed no usage"
done
run 0 --help set-game-path
has_out "set-game-path PATH"
for args in "" "frobnicate" "delete" "delete 3 --force" "list extra" "--bogus list" "help nothing"; do
  # shellcheck disable=SC2086
  run 2 $args
  has_err "用法"
  [ ! -s "$work/out.txt" ] || fail "a usage error wrote to stdout: $(cat "$work/out.txt")"
done
run 0 settings
run 1 detail 3
one_reason
[ ! -e "$prog" ] || fail "read-only commands created the program directory"

# 2. The game path: checked, stored absolute, refused with a reason.
run 0 set-game-path --help
[ ! -e "$prog/config" ] || fail "--help was stored as the game path"
run 1 set-game-path "$work/game/not-there.exe"
has_err "不存在"
run 1 set-game-path "$work/game"
has_err "目录"
run 1 set-game-path "$work/game/游戏🎮.exe"
has_err "GBK"
[ ! -e "$prog/config" ] || fail "a refused path was stored"
(cd "$game" && "$tessel_bin" set-game-path vaelpatchchinese.exe >"$work/out.txt") ||
  fail "a bare file name in the current directory was refused"
has_out "游戏目录: $game/"
has_out "插件目录: $game/Interface"
(cd "$work" && "$tessel_bin" --json set-game-path ./game/vaelpatchchinese.exe >"$work/out.txt")
has_out "\"gamePath\":\"$game/vaelpatchchinese.exe\""
has_out "\"gameDir\":\"$game/\""
mkdir -p "$work/docs/VAEL/Interface/Addons/Something"
run 0 set-game-path "$game/vaelpatchchinese.exe"
has_out "文档文件夹"
rm -rf "$work/docs/VAEL"
[ -f "$prog/ver.ini" ] || fail "set-game-path did not write ver.ini as the program does"

# 3. No server and no cached catalogue: nothing catalogue-dependent is given
#    as a fact.
"$server_bin" --make-demo "$work/demo" >/dev/null
unzip -q -o "$work/demo/old/3.zip" -d "$addons"
dead_port=$("$python" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf '[Servers]\nCatalogue=127.0.0.1:%s\n' "$dead_port" >"$prog/servers.ini"
run 1 list
has_err "127.0.0.1:$dead_port"
has_err "无法连接"
has_out "QuestHelper"
run 1 update-all --yes
has_err "没有插件目录"
run 1 install 3
has_err "没有插件目录"
run 1 detail 3
has_err "没有插件目录"
run 1 --json refresh
grep -q '"error"' "$work/err.txt" || fail "the JSON error is no object: $(cat "$work/err.txt")"
run 0 --offline settings

# 4. A working server: the catalogue is fetched; list shows both versions.
: >"$work/server.out"
"$server_bin" --root "$work/demo" --port 0 --quiet >"$work/server.out" &
server_pid=$!
port=$(listening_port "$work/server.out" "$server_pid")
[ -n "$port" ] || fail "tessel-server did not start"
# Without a scheme the written port is used, not the default one.
printf '[Servers]\nCatalogue=127.0.0.1:%s\n' "$port" >"$prog/servers.ini"
run 0 list
[ ! -s "$work/err.txt" ] || fail "a good refresh said something: $(cat "$work/err.txt")"
grep -q '^  3 .*QuestHelper.*可更新' "$work/out.txt" || fail "3 shows no update: $(cat "$work/out.txt")"
run 0 list --outdated
has_out "QuestHelper"
run 0 --json list
grep -q '"id":3,"name":"任务助手","folder":"QuestHelper","installed":true' "$work/out.txt" ||
  fail "the JSON row: $(cat "$work/out.txt")"
run 0 search 背包
has_out "BagSorter"
run 1 search nothing-like-this
one_reason
run 0 detail QuestHelper
has_out "状态: 2"
run 1 install 777
has_err "777"
[ ! -s "$work/out.txt" ] || fail "install 777 wrote its reason to stdout"
run 0 install bagsorter
has_out "已安装 4"
grep -q $'\r' "$work/err.txt" && fail "a progress bar went to a file"
run 0 update-all --dry-run
has_out "3 任务助手"
run 1 update-all
has_err "确定升级所有插件"
has_err "没有确认"
printf 'YES\r\n' | "$tessel_bin" update-all >"$work/out.txt" 2>"$work/err.txt" ||
  fail "update-all with YES failed: $(cat "$work/err.txt")"
run 0 list --outdated
grep -q "QuestHelper" "$work/out.txt" && fail "the update did not happen"

# On a terminal the bars are drawn, each within the terminal's width.
if command -v script >/dev/null; then
  script -qec "stty cols 40; '$tessel_bin' install 2" /dev/null >"$work/tty.txt" </dev/null ||
    fail "install on a terminal: $(cat "$work/tty.txt")"
  "$python" - "$work/tty.txt" <<'PY' || fail "a progress line overflows 40 columns: $(cat "$work/tty.txt")"
import re, sys, unicodedata
text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
bars = [part for part in re.split(r"[\r\n]", text) if "%" in part]
width = lambda s: sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in s)
sys.exit(0 if bars and all(width(b) < 40 for b in bars) else 1)
PY
fi

# An archive the server does not have: its HTTP status is named.
mv "$work/demo/files/5.zip" "$work/5.zip"
run 1 install 5
has_err "HTTP 404"
mv "$work/5.zip" "$work/demo/files/5.zip"

# 5. The server stopped with a catalogue on disk: the cache is used and named.
kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=
run 0 list
has_err "本机保存的插件目录"
has_out "QuestHelper"
run 1 --json refresh
grep -q '"source":"cache"' "$work/out.txt" || fail "refresh: $(cat "$work/out.txt")"
grep -q '"error":"refresh-failed"' "$work/err.txt" || fail "refresh: $(cat "$work/err.txt")"
run 0 --offline list
has_err "离线"

# 6. A server that accepts and never answers: the stamp query gives up with a
#    word; delete and detail do not ask it at all.
"$python" - "$work/silent.out" "$work/silent.log" <<'PY' &
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(16)
open(sys.argv[1], "w").write("listening on 127.0.0.1:%d\n" % s.getsockname()[1])
held = []
while True:
    c, _ = s.accept()
    open(sys.argv[2], "a").write("connection\n")
    held.append(c)
PY
silent_pid=$!
silent_port=$(listening_port "$work/silent.out" "$silent_pid")
[ -n "$silent_port" ] || fail "the silent server did not start"
printf '[Servers]\nCatalogue=http://127.0.0.1:%s\n' "$silent_port" >"$prog/servers.ini"
run 0 list
has_err "秒内没有回答"
: >"$work/silent.log"
run 0 detail 4
run 1 delete QuestHelper
has_err "确定要删除该插件? 3 任务助手"
run 0 delete QuestHelper --yes
has_out "已删除 3"
[ ! -s "$work/silent.log" ] || fail "delete or detail asked the server"
run 1 delete QuestHelper --yes
has_err "没有安装"

# 7. delete-all names the directory and the count; --dry-run changes nothing.
mkdir -p "$addons/MyNotes"
count=$(ls -A "$addons" | wc -l)
run 0 delete-all --dry-run
has_out "$game/Interface.Addons 下的 $count 项"
[ -d "$addons/MyNotes" ] || fail "--dry-run deleted"
echo n | "$tessel_bin" delete-all >"$work/out.txt" 2>"$work/err.txt" && fail "delete-all ran on 'n'"
has_err "$game/Interface.Addons 下的 $count 项"
printf 'y\n' | "$tessel_bin" --offline delete-all >"$work/out.txt" 2>"$work/err.txt" ||
  fail "delete-all: $(cat "$work/err.txt")"
[ -z "$(ls -A "$addons")" ] || fail "delete-all left: $(ls "$addons")"
echo "cli test passed"
