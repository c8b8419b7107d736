#!/usr/bin/env bash
# Builds natively with the benchmarks and runs each of them, then the Windows
# benchmarks under wine when the Windows build exists.
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

# The Windows benchmarks, under wine with an X server, when that build exists.
if [ -d build/windows ]; then
  ninja -C build/windows
  bash scripts/gui-session.sh bash -c '
    for bench in build/windows/bin/*_bench.exe; do
      [ -f "$bench" ] || continue
      echo "=== $(basename "$bench")"
      bash scripts/wine-run.sh "$bench"
    done'
fi
