#!/usr/bin/env bash
# `tessel check-upgrade` against the reference server: the demo's offer (a
# newer program and an updater to fetch), then replies of each kind the
# server can be told to give, a server under another key and no server.
# Usage: check_upgrade_test.sh TESSEL TESSEL_SERVER
set -euo pipefail
tessel_bin=$1
server_bin=$2
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/loopback_jobs.sh"
work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

demo=$work/demo prog=$work/prog
mkdir -p "$prog"
"$server_bin" --make-demo "$demo" >/dev/null

start_server() {  # extra server arguments...
  : >"$work/server.out"
  "$server_bin" --root "$demo" --port 0 --quiet "$@" >"$work/server.out" &
  server_pid=$!
  port=$(listening_port "$work/server.out" "$server_pid")
  [ -n "$port" ] || fail "tessel-server did not start"
  printf '[Servers]\nUpgrade=http://127.0.0.1:%s\n' "$port" >"$prog/servers.ini"
}
stop_server() { kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=; }

check() {  # expected exit code; prints the JSON line
  local code=0
  "$tessel_bin" --program-dir "$prog" --json check-upgrade >"$work/out.json" 2>"$work/err.txt" || code=$?
  [ "$code" = "$1" ] || fail "exit $code, expected $1: $(cat "$work/out.json" "$work/err.txt")"
  cat "$work/out.json"
}
expect() {  # json, "key":value text that must occur
  case "$1" in *"$2"*) ;; *) fail "missing $2 in $1" ;; esac
}

start_server
# The demo offers 9126 and updater 3; nothing of the updater is here yet.
out=$(check 0)
expect "$out" '"status":1'
expect "$out" '"updaterResult":1'
expect "$out" '"commandLine":"__VAEL_UPGRADE_FILEMAP_KEYNAME__|VaelTessel.exe"'
expect "$out" '"softVer":"9126"'
[ -f "$prog/Refitter.exe" ] && [ -d "$prog/ImageRes" ] || fail "the updater was not unpacked"
[ ! -e "$prog/Refitter.exetmp" ] || fail "the updater archive was left behind"
grep -q 'ver=3' "$prog/RefitterVer.ini" || fail "the updater's version file was not unpacked"

# The updater is current now: no second fetch.
out=$(check 0)
expect "$out" '"updaterResult":0'

upgrade_txt=$demo/upgrade.txt
cp "$upgrade_txt" "$work/upgrade.txt"
offer() {  # lines of upgrade.txt
  printf '%s\n' "$@" >"$upgrade_txt"
}
offer softVer=9125 updSoftVerV2=3 updSoftDownUrlV2=upgrade/Refitter.zip
expect "$(check 0)" '"status":0'
offer code=404 softVer=9126 softDownUrl=upgrade/VaelTessel_9126.zip updSoftVerV2=3
expect "$(check 1)" '"status":3'
offer softVer=9126 softDownUrl=upgrade/VaelTessel_9126.zip
out=$(check 1)
expect "$out" '"status":3'
expect "$out" '"updaterResult":-1'
offer softVer=9126 updSoftVerV2=3
expect "$(check 1)" '"programResult":-2'
offer softVer=9125 updSoftVerV2=4 updSoftDownUrlV2=upgrade/missing.zip
out=$(check 1)
expect "$out" '"updaterResult":-3'
grep -q 'ver=3' "$prog/RefitterVer.ini" || fail "a failed fetch changed the updater"
cp "$work/upgrade.txt" "$upgrade_txt"
stop_server

# Under another key the server cannot read the request and answers 400.
start_server --upgrade-key 'not the program key'
out=$(check 1)
expect "$out" '"status":2'
expect "$out" '"exchange":-2'
stop_server

out=$(check 1)
expect "$out" '"exchange":-1'
echo "check-upgrade: all cases passed"
