#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it, in a prefix of its own (made on
# first use, a dozen seconds):
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

# The prefix's wineserver and its session's background programs (services, and the desktop that
# the first window asks for) are started here, without standard streams, by one caller at a time:
# started by a test's program, they would hold the test's output open for as long as they live,
# and the test with it. The server outlives the last program by 30 s, so that the tests of a run
# share one session.
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
# What starts here must not inherit the lock (descriptor 9), or the lock lives as long as it does.
if [ ! -e "$WINEPREFIX/.ready" ]; then
  wineboot -i </dev/null >/dev/null 2>&1 9>&-
  wineserver -w
  touch "$WINEPREFIX/.ready"
fi
if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
  wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&-
fi
exec 9>&-
exec wine "$@"
