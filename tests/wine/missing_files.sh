#!/usr/bin/env bash
# A texture, a model or a shader missing from the fixture set gives the Windows build the same
# warning lines as the Linux build: both capture tools run the presentation's start-up on the
# same directory and their stderr is compared, the capture's own progress lines aside.
#   missing_files.sh WINE_RUN PREFIX CAPTURE.exe LINUX_CAPTURE ASSET_DIR
. "$(dirname "$0")/wine_env.sh"
capture=$1 linux_capture=$2 assets=$3

warnings() { unix_lines "$1" | grep -v -E -e '^capture: ' -e "$report" -e '^$'; }

fail=0
# The first file of each kind, whatever the set names it.
for pattern in '*.PNG' '*.OBJ' '*.glsl'; do
  missing=$(cd "$assets" && ls $pattern | head -n 1)
  rm -rf "$work/set" && cp -r "$assets" "$work/set" && rm "$work/set/$missing"
  (cd "$work/set" && wine_run "$capture" --to 0.05 --size 64x36 --png "$work/win" \
     >/dev/null 2>"$work/win.txt")
  windows_status=$?
  (cd "$work/set" && setsid -w "$linux_capture" --to 0.05 --size 64x36 \
     --png "$work/linux" >/dev/null 2>"$work/linux.txt" </dev/null)
  linux_status=$?
  echo "without $missing: Windows exit $windows_status, Linux exit $linux_status"
  warnings "$work/win.txt" | sed 's/^/  windows: /'
  [ "$windows_status" -eq "$linux_status" ] || { echo "FAIL: exit statuses differ"; fail=1; }
  [ -n "$(warnings "$work/win.txt" | grep -F "$missing")" ] ||
    { echo "FAIL: no line names $missing"; fail=1; }
  diff <(warnings "$work/linux.txt") <(warnings "$work/win.txt") ||
    { echo "FAIL: the warnings differ (< Linux, > Windows)"; fail=1; }
done
exit $fail
