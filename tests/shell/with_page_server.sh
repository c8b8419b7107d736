#!/usr/bin/env bash
# Runs a command beside tessel-server serving its demo catalogue on loopback.
# The command finds the server's address in TESSEL_PAGE_SERVER and the
# server's request log (one line per request) in TESSEL_PAGE_SERVER_LOG, as a
# Windows path for the programs run under wine. Without a server binary the
# command runs alone and its server tests skip.
#   with_page_server.sh SERVER COMMAND...
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/loopback_jobs.sh"
server=$1
shift
if [ ! -x "$server" ]; then
  echo "with_page_server: no tessel-server at $server (build it natively first)" >&2
  exec "$@"
fi
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
"$server" --make-demo "$work/root" >/dev/null
"$server" --root "$work/root" --address 127.0.0.1 --port 0 >"$work/requests.log" 2>&1 &
pid=$!
port=$(listening_port "$work/requests.log" "$pid")
[ -n "$port" ] || { echo "with_page_server: the server did not start" >&2; cat "$work/requests.log" >&2; exit 1; }
export TESSEL_PAGE_SERVER="http://127.0.0.1:$port"
export TESSEL_PAGE_SERVER_LOG="Z:${work//\//\\}\\requests.log"
status=0
"$@" || status=$?
exit "$status"
