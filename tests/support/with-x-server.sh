#!/usr/bin/env bash
# Runs a command with an X server of its own (Xvfb, 1280x720x24), DISPLAY set to it:
#   with-x-server.sh COMMAND [ARGUMENT...]
# Test processes that share one server are now and then refused a connection when many start at
# once; a server per process never is. Xvfb picks a free display itself and names it only once it
# takes connections, so servers started side by side do not race for a number. The command replaces
# this script, so its status and signals are the test's own; the server is the command's child and
# the kernel tells it to end when the command does, however it ends.
set -u
command -v Xvfb >/dev/null || { echo "with-x-server: Xvfb not found (Debian package xvfb)" >&2; exit 1; }
work=$(mktemp -d) || exit 1
mkfifo "$work/display"
setpriv --pdeathsig TERM Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset \
  3>"$work/display" </dev/null >/dev/null 2>"$work/log" &
server=$!
display=""
read -r -t 20 display <"$work/display"
if [ -z "$display" ]; then
  kill "$server" 2>/dev/null
  reason=$(grep -v '^$' "$work/log" | tail -n 1)
  echo "with-x-server: Xvfb did not start: ${reason:-no display within 20 s}" >&2
  rm -rf "$work"
  exit 1
fi
rm -rf "$work"
export DISPLAY=":$display"
exec "$@"
