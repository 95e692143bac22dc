#!/usr/bin/env bash
# Plays the whole timeline in real time from a copy of an asset directory and checks the exit
# status, the running time, the once-a-second report with nothing else on stderr, and that the
# soundtrack's samples really reached the audio device (SDL's disk driver writes them to a file).
#   plays_whole_timeline.sh DEMO ASSET_DIR
set -u
demo=$1
assets=$2
report=$(cat "$(dirname "$0")/../support/report_line.ere")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$assets"/. "$work"/
cd "$work"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw"

start=$(date +%s.%N)
# In a session of its own, without a controlling terminal, so that it keeps the streams given here.
setsid -w "$demo" >stdout.txt 2>stderr.txt
status=$?
elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
reports=$(grep -c -E "$report" stderr.txt)
others=$(grep -v -E "$report" stderr.txt)
echo "exit $status after ${elapsed}s, $reports report lines"

fail=0
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
awk -v e="$elapsed" 'BEGIN { exit !(e >= 79.5 && e <= 95) }' || { echo "FAIL: ran ${elapsed}s"; fail=1; }
[ "$reports" -ge 78 ] && [ "$reports" -le 81 ] || { echo "FAIL: $reports report lines"; fail=1; }
[ -z "$others" ] || { printf 'FAIL: other lines on stderr:\n%s\n' "$others"; fail=1; }
# 16-bit stereo at 44.1 kHz is 176400 bytes a second; the music sounds from its first second, so
# most of those bytes are not zero, where silence would be all zeros.
size=$(stat -c %s played.raw 2>/dev/null || echo 0)
sounding=$(head -c 176400 played.raw 2>/dev/null | tr -d '\000' | wc -c)
echo "audio: $size bytes written, $sounding of the first 176400 non-zero"
[ "$size" -ge 1000000 ] || { echo "FAIL: the audio device got $size bytes"; fail=1; }
[ "$sounding" -ge 100000 ] || { echo "FAIL: the soundtrack played as silence"; fail=1; }
exit $fail
