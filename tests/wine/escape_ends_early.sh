#!/usr/bin/env bash
# A real press of Escape (xdotool, through the X server, as a keyboard gives it) ends demo.exe
# early under Wine with exit status 0.
#   escape_ends_early.sh WINE_RUN PREFIX ZIP
. "$(dirname "$0")/wine_env.sh"
zip=$1
cd "$work"
cmake -E tar xf "$zip"
cd demo-win64

wine_run ./demo.exe >stdout.txt 2>stderr.txt &
demo=$!
# Playing once it reports its frame times; a second report line means it has played a while.
for _ in $(seq 600); do
  [ "$(unix_lines stderr.txt | grep -c -E "$report")" -ge 2 ] && break
  sleep 0.1
done
# The program looks at the key once a pass: the key is held until it has ended, at most 3 s, as
# a hand holds it until something happens.
pressed=$(date +%s.%N)
xdotool keydown Escape
for _ in $(seq 30); do kill -0 $demo 2>/dev/null || break; sleep 0.1; done
xdotool keyup Escape
wait $demo
status=$?
ended=$(date +%s.%N)
reports=$(unix_lines stderr.txt | grep -c -E "$report")
after=$(awk -v a="$pressed" -v b="$ended" 'BEGIN { printf "%.2f", b - a }')
echo "exit $status ${after}s after the key press, $reports report lines"
fail=0
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; unix_lines stderr.txt; fail=1; }
[ "$reports" -ge 2 ] && [ "$reports" -le 60 ] || { echo "FAIL: $reports report lines"; fail=1; }
awk -v a="$after" 'BEGIN { exit !(a < 5) }' ||
  { echo "FAIL: ended ${after}s after Escape"; fail=1; }
exit $fail
