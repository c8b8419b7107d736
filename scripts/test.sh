#!/usr/bin/env bash
# The whole test run: installs what is needed, builds natively (g++), with
# sanitizers and fuzzers (clang) and for Windows (MinGW-w64), then runs every
# test: native, sanitized, the Windows programs under wine, and a short run of
# every fuzz target over its corpus.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ "$(id -u)" = 0 ]; then
  bash scripts/setup.sh
else
  sudo bash scripts/setup.sh
fi

jobs=$(nproc)
fuzz_seconds=${TESSEL_FUZZ_SECONDS:-15}
failed=()

# TESSEL_MODULES, when set, narrows the subsystems built (for local work).
modules=(-UTESSEL_MODULES)
[ -n "${TESSEL_MODULES+set}" ] && modules=("-DTESSEL_MODULES=$TESSEL_MODULES")

configure() {  # dir, extra cmake arguments...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -Wno-dev "${modules[@]}" "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
}

step() {  # name, command...
  local name=$1
  shift
  echo "=== $name"
  if ! "$@"; then
    echo "=== $name: FAILED"
    failed+=("$name")
  fi
}

mkdir -p build
configure build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_BENCH=ON
configure build/sanitize -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=ON -DTESSEL_FUZZ=ON
configure build/windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo

step "native build" ninja -C build/native -j "$jobs"
step "native tests" ctest --test-dir build/native --output-on-failure -j "$jobs"

step "sanitizer build" ninja -C build/sanitize -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
step "sanitizer tests" ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

fuzz() {
  local status=0 target name corpus work
  for target in build/sanitize/bin/*_fuzz; do
    [ -x "$target" ] || continue
    name=$(basename "$target" _fuzz)
    corpus=fuzz/corpus/$name
    work=$(mktemp -d)
    [ -d "$corpus" ] && cp -r "$corpus/." "$work/"
    echo "--- $name: ${fuzz_seconds}s over $(ls "$work" | wc -l) seed inputs"
    # Kept inputs (earlier crashes among them) run first as regression cases.
    if ! "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="build/sanitize/$name-" "$work" 2>"build/sanitize/$name-fuzz.log"; then
      tail -40 "build/sanitize/$name-fuzz.log"
      status=1
    fi
    grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs)' "build/sanitize/$name-fuzz.log" | tail -1 || true
    rm -rf "$work"
  done
  return $status
}
step "fuzz smoke runs" fuzz

step "windows build" ninja -C build/windows -j "$jobs"
# One X server and one wine server for all the Windows test programs.
step "windows tests (wine)" bash scripts/gui-session.sh \
  ctest --test-dir build/windows --output-on-failure -j "$jobs"

if ((${#failed[@]})); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test steps passed"
