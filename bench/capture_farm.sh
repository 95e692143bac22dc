#!/usr/bin/env bash
# The capture farm against one capture, side by side, on the build's asset pack: how it scales per
# core, and what it loses on one machine. Each kind is a fresh run timed from its start to its end
# (start-ups included), the kinds taking turns round after round so that a change in the load of a
# shared machine falls on all alike; each reports the median of its rounds, and the ratios are of
# those medians. The farm runs as on a machine without a display, each chunk with an Xvfb of its
# own; one capture gets an X server started beforehand, which the farm's chunks pay for. Beside the
# wall time, which follows the load of a shared machine, each run's processor time (all its
# processes), which does not: a loaded machine gives a run of more processes more of its cores,
# so there the ratios of processor time say more about what the farm costs.
#   bench/capture_farm.sh [BUILD_DIR] [ROUNDS]   (default: build, 3 rounds)
# The ratios it is held to: --jobs 2 --pin at least 1.8x one capture kept to one core and one
# llvmpipe thread, over 600 frames at 1280x720; --jobs 2 at least 0.95x one capture, unpinned, over
# the same frames, and at least 0.9x over 120 frames at 640x360.
set -uo pipefail

build=$(realpath -m "${1:-build}")
rounds=${2:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
capture=$build/tools/capture/capture
farm=$root/scripts/capture-farm.sh
assets=$build/assets
large=(--from 20 --to 30 --size 1280x720)
small=(--from 20 --to 22 --size 640x360)
if [ ! -x "$capture" ] || [ ! -d "$assets" ]; then
  echo "no capture or assets in $build (make assets)" >&2
  exit 1
fi
command -v taskset >/dev/null || { echo "taskset not found (util-linux)" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
coproc XVFB { exec Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x720x24 2>/dev/null; }
# shellcheck disable=SC2153  # set by coproc
xvfb_pid=$XVFB_PID
read -r -t 20 display <&"${XVFB[0]}" || { echo "Xvfb did not start" >&2; exit 1; }

kinds=(one-core pin2 one farm2 small-one small-farm2)
declare -A label=(
  [one-core]="capture, LP_NUM_THREADS=1 taskset -c 0, 600 frames 1280x720"
  [pin2]="farm --jobs 2 --pin, 600 frames 1280x720"
  [one]="capture, 600 frames 1280x720"
  [farm2]="farm --jobs 2, 600 frames 1280x720"
  [small-one]="capture, 120 frames 640x360"
  [small-farm2]="farm --jobs 2, 120 frames 640x360")

# Runs one kind; prints its wall seconds and processor seconds, or "fail".
run_kind() {
  local out=$work/frames command=()
  case $1 in
    one-core) command=(env LP_NUM_THREADS=1 taskset -c 0 "$capture" "${large[@]}") ;;
    pin2) command=(env -u DISPLAY "$farm" --capture "$capture" --jobs 2 --pin "${large[@]}") ;;
    one) command=("$capture" "${large[@]}") ;;
    farm2) command=(env -u DISPLAY "$farm" --capture "$capture" --jobs 2 "${large[@]}") ;;
    small-one) command=("$capture" "${small[@]}") ;;
    small-farm2) command=(env -u DISPLAY "$farm" --capture "$capture" --jobs 2 "${small[@]}") ;;
  esac
  local status spent TIMEFORMAT='%R %U %S'
  # In a session of its own capture has no terminal to write its report lines to.
  spent=$( { time (cd "$assets" && DISPLAY=:$display setsid -w "${command[@]}" --png "$out" \
                     >/dev/null 2>"$work/err"); } 2>&1)
  status=$?
  rm -rf "$out"
  if [ "$status" -ne 0 ]; then
    echo "fail fail"
    tail -n 3 "$work/err" >&2
  else
    awk '{ printf "%.2f %.2f", $1, $2 + $3 }' <<<"$spent"
  fi
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "capture farm on $(nproc) cores, $rounds rounds; load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
declare -A walls processors
for ((round = 1; round <= rounds; round++)); do
  for kind in "${kinds[@]}"; do
    read -r wall processor < <(run_kind "$kind")
    walls[$kind]+="$wall "
    processors[$kind]+="$processor "
    printf '  round %d  %-58s %8s s, %8s s of processor\n' "$round" "${label[$kind]}" "$wall" \
      "$processor"
  done
done
declare -A wall_median processor_median
for kind in "${kinds[@]}"; do
  # shellcheck disable=SC2086  # the lists of times
  wall_median[$kind]=$(median ${walls[$kind]})
  # shellcheck disable=SC2086
  processor_median[$kind]=$(median ${processors[$kind]})
  printf '%-62s median %8s s, %8s s of processor\n' "${label[$kind]}" "${wall_median[$kind]}" \
    "${processor_median[$kind]}"
done
# "WALL_RATIO (processor PROCESSOR_RATIO)": how much faster the second kind than the first.
ratio() {
  awk -v a="${wall_median[$1]}" -v b="${wall_median[$2]}" -v c="${processor_median[$1]}" \
    -v d="${processor_median[$2]}" 'BEGIN { printf "%.2fx (processor %.2fx)", a / b, c / d }'
}
echo "farm --jobs 2 --pin against one capture on one core: $(ratio one-core pin2), at least 1.8"
echo "farm --jobs 2 against one capture, 1280x720:         $(ratio one farm2), at least 0.95"
echo "farm --jobs 2 against one capture, 640x360:          $(ratio small-one small-farm2), at least 0.9"
echo "load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
