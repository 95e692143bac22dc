#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it, in a prefix of its own (made on
# first use, a dozen seconds; several callers at once wait for one to make it):
#   scripts/wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# Wine's own messages are off. A crashing program would start Wine's debugger and then exit 0:
# with the debugger disabled a crash ends the program at once with a non-zero status. Wine's ALSA
# driver is off too: test machines have no sound card, and its probe prints on stderr; sound goes
# to a PulseAudio server where one runs (PULSE_SERVER), and without one there is no device.
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml=;winemenubuilder.exe=d;winealsa.drv=d"
export WINEARCH=win64

if [ ! -e "$WINEPREFIX/.ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -e "$WINEPREFIX/.ready" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ready"
  fi
  exec 9>&-
fi
exec wine "$@"
