#!/usr/bin/env bash
# Regenerates the reference frames in tests/data/golden from the fixture asset set, one capture
# per line of tests/data/golden/frames.txt. Only for a change of picture that is meant: look at
# the new images before committing them. The tests never write them.
#   scripts/update-golden.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x720x24" "$0" "$build"
fi
capture=$build/tools/capture/capture
golden=$root/tests/data/golden
[ -x "$capture" ] || { echo "update-golden: $capture: not built" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

grep -v '^#' "$golden/frames.txt" | while read -r name from to frame _; do
  [ -n "$name" ] || continue
  rm -rf "$work/frames"
  if ! (cd "$root/tests/data/assets" &&
        "$capture" --from "$from" --to "$to" --size 320x180 --png "$work/frames" >/dev/null 2>"$work/err"); then
    echo "update-golden: $name: the capture failed:" >&2
    cat "$work/err" >&2
    exit 1
  fi
  written=$(printf '%s/frames/frame_%06d.png' "$work" "$frame")
  [ -f "$written" ] || { echo "update-golden: $name: frame $frame was not written" >&2; exit 1; }
  cp "$written" "$golden/$name.png"
  echo "$name.png: frame $frame"
done
