#!/usr/bin/env bash
# demo.exe from the Windows zip, unpacked as a user would, plays the whole timeline in real time
# under Wine: exit status 0 after 80 s, one report line a second and nothing else on stderr, and
# the soundtrack's samples reach a PulseAudio null sink through MCI.
#   plays_whole_timeline.sh WINE_RUN PREFIX ZIP
. "$(dirname "$0")/wine_env.sh"
zip=$1
cd "$work"
cmake -E tar xf "$zip"
cd demo-win64
start_pulse "$work/played.raw"

start=$(date +%s.%N)
wine_run ./demo.exe >stdout.txt 2>stderr.txt
status=$?
elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
reports=$(unix_lines stderr.txt | grep -c -E "$report")
others=$(unix_lines stderr.txt | grep -v -E "$report")
echo "exit $status after ${elapsed}s, $reports report lines"
unix_lines stderr.txt | grep -E "$report" | sort -n | awk '{ t[NR] = $1 } END {
  printf "frame times: median %s ms, slowest %s ms\n", t[int((NR + 1) / 2)], t[NR] }'

fail=0
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
awk -v e="$elapsed" 'BEGIN { exit !(e >= 79.5 && e <= 100) }' ||
  { echo "FAIL: ran ${elapsed}s"; fail=1; }
[ "$reports" -ge 78 ] && [ "$reports" -le 81 ] || { echo "FAIL: $reports report lines"; fail=1; }
[ -z "$others" ] || { printf 'FAIL: other lines on stderr:\n%s\n' "$others"; fail=1; }
# 176400 bytes a second of 16-bit stereo at 44.1 kHz; silence would be all zeros.
size=$(stat -c %s "$work/played.raw")
sounding=$(tr -d '\000' <"$work/played.raw" | wc -c)
echo "audio: $size bytes reached the sink, $sounding of them not zero"
[ "$sounding" -ge 1000000 ] || { echo "FAIL: the soundtrack did not reach the sink"; fail=1; }
exit $fail
