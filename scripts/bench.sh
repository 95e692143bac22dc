#!/usr/bin/env bash
# Runs every benchmark of a build directory (default: build): the bench_* programs under its bench/,
# one after another, each under Xvfb since some of them open a window; then the benchmark scripts
# of bench/, which start what they need themselves.
#   scripts/bench.sh build
set -euo pipefail

build=$(realpath -m "${1:-build}")
status=0
found=0
for program in "$build"/bench/bench_*; do
  [ -x "$program" ] || continue
  found=1
  echo "== $(basename "$program")"
  xvfb-run -a -s "-screen 0 1280x720x24" "$program" || status=1
done
[ "$found" -eq 1 ] || { echo "no benchmark programs in $build/bench" >&2; exit 1; }
for script in "$(dirname "$0")"/../bench/*.sh; do
  echo "== $(basename "$script")"
  "$script" "$build" || status=1
done
exit $status
