#!/usr/bin/env bash
# Without a display the window cannot be opened: one line on stderr saying why, exit status 1.
set -u
err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$1" 2>&1 >/dev/null)
status=$?
echo "exit $status: $err"
[ "$status" -eq 1 ] || exit 1
[ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || exit 1
printf '%s' "$err" | grep -q -i 'display' || exit 1
