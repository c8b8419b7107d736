#!/usr/bin/env bash
# Builds natively with the benchmarks and runs each of them, then the Windows
# benchmarks under wine when the Windows build exists, and ends with one table
# of every ratio the benchmarks report: the median of their runs, the spread,
# the goal and whether the median meets it. Figures from a busy machine are
# noisy: run it on a quiet one before reading goals from it.
#   scripts/bench.sh [--runs N]   (N: runs per figure, default 5)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=()
[ "${1:-}" = --runs ] && runs=(--runs "$2")
bash scripts/setup.sh
cmake -S . -B build/native -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_BENCH=ON >/dev/null
ninja -C build/native
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for bench in build/native/bin/*_bench; do
  [ -x "$bench" ] || continue
  echo "=== $(basename "$bench")"
  case $(basename "$bench") in
    ui_bench) "$bench" ;;
    *) "$bench" "${runs[@]}" ;;
  esac 2>&1 | tee -a "$log" | grep -v '^summary|' || echo "($(basename "$bench") failed)"
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

echo
echo "=== summary: ratio = this project / anchor (lower is better), median [min-max] of the runs"
awk -F'|' '$1 == "summary" {
  goal = $6 + 0
  target = "-"
  verdict = ""
  if (goal > 0) {
    target = sprintf("<= %.2f", goal)
    verdict = ($3 + 0 <= goal) ? "met" : "NOT met"
  }
  printf "%-52s %6.2f [%5.2f-%5.2f]  %-8s %s\n", $2, $3, $4, $5, target, verdict
}' "$log"
