#!/usr/bin/env bash
# Builds natively with the benchmarks and runs each of them, then the Windows
# benchmarks under wine when the Windows build exists, and ends with one table
# of every ratio the benchmarks report (against an anchor, or an absolute
# goal against its budget): the median of their runs, the spread, the goal
# and whether the median meets it. Every benchmark gets "--runs N". A
# benchmark that fails is named "(name failed)" where it ran and again after
# the table, which still holds the others' ratios, and the script exits 1.
# Figures from a busy machine are noisy: run it on a quiet one before reading
# goals from it.
#   scripts/bench.sh [--runs N]   (N: runs per figure, default and least 5)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=()
[ "${1:-}" = --runs ] && runs=(--runs "$2")
bash scripts/setup.sh
cmake -S . -B build/native -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_BENCH=ON >/dev/null
ninja -C build/native -j "$(nproc)"
log=$(mktemp)
failures=$(mktemp)
trap 'rm -f "$log" "$failures"' EXIT
export log failures

# Runs one benchmark: name, then the command. Its whole output (carriage
# returns of Windows programs dropped) goes to the log, and without the
# summary lines to the screen; a failure is noted in the failures file.
run_bench() {
  local -
  set -o pipefail  # also in the Windows session's shell
  local name=$1
  shift
  echo "=== $name"
  if ! "$@" 2>&1 | tr -d '\r' | tee -a "$log" | { grep -v '^summary|' || true; }; then
    echo "($name failed)"
    echo "$name" >>"$failures"
  fi
}
export -f run_bench

for bench in build/native/bin/*_bench; do
  [ -x "$bench" ] || continue
  run_bench "$(basename "$bench")" "$bench" "${runs[@]}"
done

# The Windows benchmarks, under wine with an X server, when that build exists.
if [ -d build/windows ]; then
  if ! ninja -C build/windows -j "$(nproc)"; then
    echo "(windows build failed)"
    echo "windows build" >>"$failures"
  elif ! bash scripts/gui-session.sh bash -c '
      for bench in build/windows/bin/*_bench.exe; do
        [ -f "$bench" ] || continue
        run_bench "$(basename "$bench")" bash scripts/wine-run.sh "$bench" "$@"
      done' windows "${runs[@]}"; then
    echo "(windows session failed)"
    echo "windows session" >>"$failures"
  fi
fi

echo
echo "=== summary: ratio = this project / anchor or budget (lower is better), median [min-max] of the runs"
awk -F'|' '$1 == "summary" {
  goal = $6 + 0
  target = "-"
  verdict = ""
  if (goal > 0)
    target = sprintf("<= %.2f", goal)
  if ($3 == "-") {
    printf "%-52s %22s  %-8s %s\n", $2, "no figure", target, "FAILED"
    next
  }
  if (goal > 0)
    verdict = ($3 + 0 <= goal) ? "met" : "NOT met"
  printf "%-52s %6.2f [%5.2f-%5.2f]  %-8s %s\n", $2, $3, $4, $5, target, verdict
}' "$log"
if [ -s "$failures" ]; then
  echo
  echo "=== failed: $(paste -sd, "$failures" | sed 's/,/, /g')"
  exit 1
fi
