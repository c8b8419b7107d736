#!/usr/bin/env bash
# Runs the Chromium page test in a network namespace of its own, where only
# loopback exists: neither the browser nor the server can reach anything else.
#   run_pages_test.sh TESSEL_SERVER [CHROMIUM]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
isolate=(unshare -n)
[ "$(id -u)" = 0 ] || isolate=(unshare -r -n)
# unshare runs the test directly, so an interruption reaches it.
exec "${isolate[@]}" sh -c 'ip link set lo up && exec python3 "$0" "$@"' \
  "$here/pages_chromium_test.py" "$@"
