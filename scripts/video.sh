#!/usr/bin/env bash
# Renders the whole presentation offline from the generated asset pack into <build>/demo.mp4:
# 4800 frames at 60 frames a second, 1280x720, with the soundtrack. Under Xvfb without a display.
#   scripts/video.sh [build-dir]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
capture=$build/tools/capture/capture
[ -x "$capture" ] || { echo "video: $capture: not built" >&2; exit 1; }
[ -d "$build/assets" ] || { echo "video: $build/assets: no asset pack; run make assets" >&2; exit 1; }
cd "$build/assets"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$capture" --video "$build/demo.mp4"
fi
exec xvfb-run -a -s "-screen 0 1280x720x24" "$capture" --video "$build/demo.mp4"
