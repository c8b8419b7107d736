#!/usr/bin/env bash
# The updater's end-to-end test: the installer of this build, the next build
# (build number and updater version one higher, made by scripts/package.sh
# into a tree of its own) published on tessel-server, and the Windows driver
# run under wine through its phases: install and upgrade, a tampered package,
# uninstall. Run inside scripts/gui-session.sh (an X server and one wine
# server).
#   end_to_end.sh NATIVE_BIN WINDOWS_BUILD DRIVER
set -euo pipefail
native=$1
winbuild=$(realpath "$2")
driver=$3
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/loopback_jobs.sh"
server=$native/tessel-server
if [ ! -x "$server" ] || [ ! -x "$native/tessel-sign" ]; then
  echo "end_to_end: build tessel-server and tessel-sign natively first ($native)" >&2
  exit 1
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

cached() {  # a value of this build's cache
  sed -n "s/^$1:[A-Z]*=//p" "$winbuild/CMakeCache.txt"
}
current=$(cached TESSEL_BUILD_NUMBER)
updater=$(cached TESSEL_REFITTER_VERSION)
next=$((current + 1))
updater_next=$((updater + 1))

# This build's artefacts, and the next build's.
echo "end_to_end: packaging $current and $next"
bash "$root/scripts/package.sh" --skip-setup --out "$work/dist-current" >"$work/package-current.log" 2>&1 ||
  { cat "$work/package-current.log"; exit 1; }
bash "$root/scripts/package.sh" --skip-setup --build-number "$next" --refitter-version "$updater_next" \
  --description "end-to-end test build $next" --out "$work/dist-next" >"$work/package-next.log" 2>&1 ||
  { cat "$work/package-next.log"; exit 1; }

# The server, offering the next build.
"$server" --make-demo "$work/root" >/dev/null
"$server" --root "$work/root" --publish "$work/dist-next"
"$server" --root "$work/root" --address 127.0.0.1 --port 0 >"$work/requests.log" 2>&1 &
pid=$!
port=$(listening_port "$work/requests.log" "$pid")
[ -n "$port" ] || { echo "end_to_end: the server did not start" >&2; cat "$work/requests.log" >&2; exit 1; }

windows_path() { echo "Z:${1//\//\\}"; }
export TESSEL_E2E_INSTALLER
TESSEL_E2E_INSTALLER=$(windows_path "$work/dist-current/VaelTessel-1.2.0.$current-setup.exe")
export TESSEL_E2E_SERVER="http://127.0.0.1:$port"
export TESSEL_E2E_CURRENT=$current TESSEL_E2E_NEXT=$next TESSEL_E2E_UPDATER_NEXT=$updater_next
export TESSEL_SCREENS_DIR=$winbuild/screens
phase() {
  echo "end_to_end: phase $1"
  bash "$root/scripts/wine-run.sh" "$driver" --gtest_filter="EndToEnd.$1"
}

phase Install
grep -q ' GET /upgrade/Refitter.zip 200' "$work/requests.log"
grep -q " GET /upgrade/VaelTessel-1.2.0.$next.zip 20[06]" "$work/requests.log"
grep -q " GET /upgrade/VaelTessel-1.2.0.$next.zip.sig 200" "$work/requests.log"

# A tampered package: the next-but-one build's offer, its bytes changed on
# the way (one flipped byte), its signature the genuine one's.
tampered=$work/dist-tampered
mkdir -p "$tampered"
cp "$work/dist-next/Refitter.zip" "$tampered/"
package=VaelTessel-1.2.0.$((next + 1)).zip
cp "$work/dist-next/VaelTessel-1.2.0.$next.zip" "$tampered/$package"
cp "$work/dist-next/VaelTessel-1.2.0.$next.zip.sig" "$tampered/$package.sig"
size=$(stat -c %s "$tampered/$package")
byte=$(od -An -tu1 -j $((size / 2)) -N1 "$tampered/$package" | tr -d ' ')
printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$tampered/$package" bs=1 seek=$((size / 2)) conv=notrunc status=none
cat >"$tampered/release.txt" <<EOT
version=$((next + 1))
package=$package
updaterVersion=$updater_next
updater=Refitter.zip
date=2026-12-09
description=tampered on the way
EOT
"$server" --root "$work/root" --publish "$tampered"
phase TamperedPackage
grep -q " GET /upgrade/$package.sig 200" "$work/requests.log"

phase Uninstall
echo "end_to_end: passed"
