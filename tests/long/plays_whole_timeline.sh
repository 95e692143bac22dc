#!/usr/bin/env bash
# Plays the whole timeline in real time from an asset directory and checks the exit status, the
# running time and the once-a-second report.
set -u
. "$(dirname "$0")/detached.sh"
demo=$1
assets=${2:-$(dirname "$demo")/assets}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -d "$assets" ] && cp -r "$assets"/. "$work"/
cd "$work"
start=$(date +%s.%N)
play_detached "$demo"
status=$?
elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
reports=$(grep -c -E '^[0-9]+\.[0-9]{6} ms/frame$' stderr.txt)
echo "exit $status after ${elapsed}s, $reports report lines"
fail=0
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
awk -v e="$elapsed" 'BEGIN { exit !(e >= 79.5 && e <= 90) }' || { echo "FAIL: ran ${elapsed}s"; fail=1; }
[ "$reports" -ge 78 ] && [ "$reports" -le 81 ] || { echo "FAIL: $reports report lines"; fail=1; }
others=$(grep -v -E '^[0-9]+\.[0-9]{6} ms/frame$' stderr.txt)
[ -z "$others" ] || { echo "FAIL: unexpected lines on stderr:"; echo "$others"; fail=1; }
exit $fail
