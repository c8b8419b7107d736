#!/usr/bin/env bash
# Runs the program tests beside tessel-server serving the demo catalogue.
# The program reaches the server through the tests' gate on another port,
# which the server also names as its public address, so the addon archives
# pass the gate too.
#   run_program_tests.sh SERVER EMULATOR PROGRAM_TESTS VAELTESSEL FAKE_GAME [ARGS...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/loopback_jobs.sh"
server=$1 emulator=$2 tests=$3 program=$4 game=$5
shift 5
if [ ! -x "$server" ]; then
  echo "run_program_tests: no tessel-server at $server (build it natively first)" >&2
  exec "$emulator" "$tests" "$@"
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

gate=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$server" --make-demo "$work/root" >/dev/null
"$server" --root "$work/root" --address 127.0.0.1 --port 0 --public-url "http://127.0.0.1:$gate" \
  >"$work/requests.log" 2>&1 &
pid=$!
port=$(listening_port "$work/requests.log" "$pid")
[ -n "$port" ] || { echo "run_program_tests: the server did not start" >&2; cat "$work/requests.log" >&2; exit 1; }

export TESSEL_UPSTREAM_PORT=$port TESSEL_PROXY_PORT=$gate
export TESSEL_PROGRAM=$program TESSEL_FAKE_GAME=$game TESSEL_DEMO_ROOT=$work/root
status=0
"$emulator" "$tests" "$@" || status=$?
exit "$status"
