#!/usr/bin/env bash
# Builds natively with the benchmarks and runs each of them.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake -S . -B build/native -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_BENCH=ON >/dev/null
ninja -C build/native
for bench in build/native/bin/*_bench; do
  [ -x "$bench" ] || continue
  echo "=== $(basename "$bench")"
  "$bench"
done
