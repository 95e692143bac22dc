#!/usr/bin/env bash
# The Windows capture tool's frame of the fixture asset set at one time matches the Linux golden
# frame within the Linux suite's tolerance: at most 6 of 255 on any channel of any pixel.
#   golden_frame.sh WINE_RUN PREFIX CAPTURE.exe ASSET_DIR GOLDEN.png FROM TO FRAME
. "$(dirname "$0")/wine_env.sh"
capture=$1 assets=$2 golden=$3 from=$4 to=$5 frame=$6
tolerance=6

cd "$assets"
wine_run "$capture" --from "$from" --to "$to" --size 320x180 --png "$work/frames" \
  >"$work/out.txt" 2>"$work/err.txt"
status=$?
frames=$(ls "$work/frames" 2>/dev/null)
expected=$(printf 'frame_%06d.png' "$frame")
[ "$status" -eq 0 ] && [ "$frames" = "$expected" ] || {
  echo "FAIL: exit $status, frames written: ${frames:-none}"
  unix_lines "$work/err.txt"
  exit 1
}

# Both pictures as raw RGB; cmp -l lists every differing byte with both values in octal.
raw() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 -y "$2"; }
raw "$work/frames/$expected" "$work/windows.rgb" && raw "$golden" "$work/golden.rgb" || exit 1
[ "$(stat -c %s "$work/windows.rgb")" -eq "$(stat -c %s "$work/golden.rgb")" ] ||
  { echo "FAIL: the frame and the golden differ in size"; exit 1; }
worst=$(cmp -l "$work/windows.rgb" "$work/golden.rgb" | awk '
  function octal(s,   v, i) {
    v = 0
    for (i = 1; i <= length(s); ++i) v = v * 8 + substr(s, i, 1)
    return v
  }
  { d = octal($2) - octal($3); if (d < 0) d = -d; if (d > worst) worst = d; ++count }
  END { printf "%d %d", worst, count }')
echo "$(basename "$golden"): largest difference ${worst% *} of 255, ${worst#* } bytes differ"
[ "${worst% *}" -le "$tolerance" ] || { echo "FAIL: beyond the tolerance of $tolerance"; exit 1; }
