#!/usr/bin/env bash
# Plays the presentation from the generated asset directory, under Xvfb when there is no display.
set -euo pipefail
build=${1:-build}
cd "$build/assets"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ../demo
fi
echo "No display found: playing under Xvfb (a virtual 1280x720 screen), so nothing shows." >&2
exec xvfb-run -a -s "-screen 0 1280x720x24" ../demo
