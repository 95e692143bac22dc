#!/usr/bin/env bash
# Plays the whole timeline in real time from a copy of the fixture asset set with one asset made
# missing or corrupt, and checks that the run still ends by itself with status 0, that stderr holds
# only the once-a-second reports and exactly one line naming the bad file, and, for the intact set,
# that the soundtrack's samples really reached the audio device.
#   presentation_run.sh DEMO ASSET_DIR CASE
set -u
. "$(dirname "$0")/detached.sh"
demo=$1
assets=$2
case=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$assets"/. "$work"/
cd "$work"

export SDL_AUDIODRIVER=dummy
bad=""
case "$case" in
  intact)
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" ;;
  missing-texture) rm or.PNG; bad=or.PNG ;;
  truncated-png) head -c 300 n.PNG >n.cut && mv n.cut n.PNG; bad=n.PNG ;;
  missing-model) rm 3c.OBJ; bad=3c.OBJ ;;
  binary-model) cp 1n.PNG 2c.OBJ; bad=2c.OBJ ;;
  missing-material-library) rm 4b.mtl; bad=4b.mtl ;;
  missing-shader) rm fragmentshader_offset.glsl; bad=fragmentshader_offset.glsl ;;
  missing-soundtrack) rm ms.mp3; bad=ms.mp3 ;;
  *) echo "unknown case $case"; exit 2 ;;
esac

start=$(date +%s.%N)
play_detached "$demo"
status=$?
elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
report='^[0-9]+\.[0-9]{6} ms/frame$'
reports=$(grep -c -E "$report" stderr.txt)
others=$(grep -v -E "$report" stderr.txt)
echo "$case: exit $status after ${elapsed}s, $reports report lines"
[ -z "$others" ] || printf 'other lines on stderr:\n%s\n' "$others"

fail=0
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
awk -v e="$elapsed" 'BEGIN { exit !(e >= 79.5 && e <= 95) }' || { echo "FAIL: ran ${elapsed}s"; fail=1; }
[ "$reports" -ge 78 ] && [ "$reports" -le 81 ] || { echo "FAIL: $reports report lines"; fail=1; }
if [ -z "$bad" ]; then
  [ -z "$others" ] || { echo "FAIL: warnings with an intact asset set"; fail=1; }
else
  count=$(printf '%s\n' "$others" | grep -c .)
  [ "$count" -eq 1 ] || { echo "FAIL: $count lines besides the reports, 1 expected"; fail=1; }
  printf '%s' "$others" | grep -q -F "$bad" || { echo "FAIL: no line names $bad"; fail=1; }
fi
if [ "$case" = intact ]; then
  # The music is six seconds of tones at the start: 16-bit stereo at 44.1 kHz is 176400 bytes a
  # second, so its first second must be mostly non-zero bytes; silence would be all zeros.
  size=$(stat -c %s played.raw 2>/dev/null || echo 0)
  sounding=$(head -c 176400 played.raw 2>/dev/null | tr -d '\000' | wc -c)
  echo "audio: $size bytes written, $sounding of the first 176400 non-zero"
  [ "$size" -ge 1000000 ] || { echo "FAIL: the audio device got $size bytes"; fail=1; }
  [ "$sounding" -ge 100000 ] || { echo "FAIL: the soundtrack played as silence"; fail=1; }
fi
exit $fail
