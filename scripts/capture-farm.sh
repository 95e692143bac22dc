#!/usr/bin/env bash
# capture on many processes and machines: the range is split into chunks of whole frames, GNU
# parallel runs one capture per chunk (on this machine's cores, or over ssh on the hosts of an
# sshlogin file), and the chunks' frames are gathered into the PNG directory or encoded once into
# the video. Run from an asset directory, like capture.
#   capture-farm.sh [--jobs N] [--pin] [--hosts FILE] [--chunk FRAMES] [--capture PATH]
#                   [--from S] [--to S] [--fps N] [--size WxH] [--supersample K] [--png-level L]
#                   (--png DIR | --video FILE)
set -uo pipefail

readonly TRIES=3          # runs of a chunk before the farm gives up on it
readonly CHUNKS_A_SLOT=2  # chunks a job slot by default: the slots stay busy as chunks end
# What a chunk's start costs before its first frame, in processor time on one core: its Xvfb, the
# GL context and the asset load (the passes before the first frame are stepped without drawing,
# almost free). Measured at some 0.7 s, as much as 15 frames at 640x360 or 5 at 1280x720, where
# a frame costs about 10 ms plus 135 ms a million pixels rendered (llvmpipe on one thread). A
# chunk is given at least STARTUPS_A_CHUNK start-ups' worth of frames, so that starting it costs
# at most a quarter of its time.
readonly STARTUP_MS=700
readonly FRAME_MS=10 FRAME_MS_A_MEGAPIXEL=135
readonly STARTUPS_A_CHUNK=3

usage() {
  cat <<'EOF'
usage: capture-farm.sh [--jobs N] [--pin] [--hosts FILE] [--chunk FRAMES] [--capture PATH]
                       [--from S] [--to S] [--fps N] [--size WxH] [--supersample K]
                       [--png-level L] (--png DIR | --video FILE)

Renders what `capture` renders with the same options, split into chunks of whole frames that
GNU parallel runs side by side: on this machine's cores, or on the machines of an sshlogin file.
Run it from an asset directory. --png gives the same files as one capture; --video encodes the
frames once, with the soundtrack from the first frame, as one capture's --video does.

  --jobs N        capture processes at once on each machine (default: its cores); each gets
                  LP_NUM_THREADS so that jobs x threads = cores, unless it is set already
  --pin           each job slot runs on cores of its own (taskset)
  --hosts FILE    GNU parallel's sshlogin file: one machine a line ("host", "user@host",
                  "4/host", ":" for this one); each must have the capture build and this
                  asset directory at the same paths as here. A line is run as a command:
                  the file must be trusted
  --chunk FRAMES  frames a chunk (default: the range split into 2 chunks a job slot, each
                  at least 3 times as long as a capture takes to start)
  --capture PATH  the capture program (default: build/tools/capture/capture of this tree)
  the others      as capture --help says
EOF
}

bad_option() {
  echo "capture-farm: $*" >&2
  exit 2
}

fail() {
  echo "capture-farm: $*" >&2
  exit 1
}

positive_number() {
  [[ $1 =~ ^[1-9][0-9]{0,5}$ ]]
}

# A name for a message, on one line whatever it holds.
shown() {
  if [[ $1 == *[[:cntrl:]]* ]]; then printf '%q' "$1"; else printf '%s' "$1"; fi
}

# GNU parallel runs each sshlogin line through a shell, and meets shell syntax there with its own
# internal error; the characters a host, user@host, N/host or an ssh command with options needs are
# taken, the rest refused with the line that holds them.
# shellcheck disable=SC2094  # the file is only read
check_hosts() {
  local file=$1 number=0 line allowed=$'^[][A-Za-z0-9 \t._@:/=,+%~-]+$'
  while IFS= read -r line || [ -n "$line" ]; do
    number=$((number + 1))
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    [[ $line =~ $allowed ]] ||
      bad_option "--hosts $(shown "$file"): line $number, $(shown "$line"): holds a character a" \
        "host line does not take (only letters, digits, blanks and ._@:/=,+%~-[])"
  done <"$file"
}

root=$(cd "$(dirname "$0")/.." && pwd)
capture=$root/build/tools/capture/capture
jobs=""
pinned=0
hosts=""
chunk=""
output_kind=""
output=""
pass=()  # capture's options that every chunk gets as given
while [ $# -gt 0 ]; do
  option=$1
  case $option in
    --help) usage; exit 0 ;;
    --pin) pinned=1; shift; continue ;;
    --jobs|--hosts|--chunk|--capture|--from|--to|--fps|--size|--supersample|--png-level) ;;
    --png|--video) ;;
    *) bad_option "$(shown "$option"): unknown option (try --help)" ;;
  esac
  [ $# -ge 2 ] || bad_option "$option: needs a value"
  value=$2
  shift 2
  # capture's messages name the value as given, and one holding a line break would break them.
  [[ $value != *$'\n'* ]] ||
    bad_option "$option $(shown "$value"): a name or value with a line break is not taken"
  case $option in
    --jobs|--chunk)
      positive_number "$value" || bad_option "$option $value: not a whole number from 1"
      if [ "$option" = --jobs ]; then jobs=$value; else chunk=$value; fi ;;
    --hosts)
      if [ ! -f "$value" ] || [ ! -r "$value" ]; then
        bad_option "--hosts $value: not a readable file"
      fi
      grep -q -v -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$value" ||
        bad_option "--hosts $value: names no machine"
      check_hosts "$value"
      hosts=$(realpath "$value") ;;
    --capture) capture=$value ;;
    --png|--video)
      [ -z "$output_kind" ] || bad_option "$option $value: give only one of --png and --video"
      output_kind=$option
      output=$value ;;
    *) pass+=("$option" "$value") ;;
  esac
done
[ -n "$output_kind" ] || bad_option "give --png DIR or --video FILE (try --help)"
[ -x "$capture" ] || fail "$capture: not built (make build, or give --capture PATH)"
capture=$(realpath "$capture")
command -v parallel >/dev/null || fail "parallel: not found; install the Debian package parallel"

# capture itself checks the line and turns the times into frame indices, so that the farm's
# frames are exactly those of one capture.
range=$("$capture" "${pass[@]}" "$output_kind" "$output" --print-range) || exit $?
read -r first_frame end_frame _ <<<"$range"
total=$((end_frame - first_frame))

# Everything is made in a directory beside the output and moved into place only when complete,
# so a failed or interrupted farm leaves the output path as it found it.
output=$(realpath -m "$output")
if [ "$output_kind" = --png ] && [ -e "$output" ] && [ ! -d "$output" ]; then
  fail "--png $output: not a directory"
fi
stage=$(mktemp -d "$(dirname "$output")/.$(basename "$output").farm.XXXXXX" 2>/dev/null) ||
  fail "$output_kind $output: cannot write beside it in $(dirname "$output")"
# The program running for the farm, parallel or the final encode: in the background, so that a
# signal to the farm is handled at once, and stopped with it.
child_pid=""
progress_pid=""
terminal=0
[ -t 2 ] && terminal=1
finish() {
  stop_progress
  if [ -n "$child_pid" ]; then
    [ "$terminal" -eq 0 ] || printf '\r\033[K' >&2
    kill -TERM "$child_pid" 2>/dev/null
    wait "$child_pid" 2>/dev/null
  fi
  rm -rf "$stage"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Frames worth a chunk's start-up, STARTUPS_A_CHUNK times over, at the size rendered.
smallest_chunk() {
  local size=1280x720 supersample=1 i
  for ((i = 0; i < ${#pass[@]}; i += 2)); do
    case ${pass[i]} in
      --size) size=${pass[i + 1]} ;;
      --supersample) supersample=${pass[i + 1]} ;;
    esac
  done
  local kilopixels=$((${size%x*} * ${size#*x} * supersample * supersample / 1000))
  local frame_ms=$((FRAME_MS + FRAME_MS_A_MEGAPIXEL * kilopixels / 1000))
  echo $(((STARTUPS_A_CHUNK * STARTUP_MS + frame_ms - 1) / frame_ms))
}

# Lines "FIRST END FROM TO" of the chunks, in order, as capture cuts the range: line n is chunk n,
# parallel's job n. Without --chunk, CHUNKS_A_SLOT chunks a job slot, or fewer and longer ones
# where those would be shorter than their start-up is worth; and no more job slots on this machine
# than there are chunks.
write_chunks() {
  local slots=${jobs:-$(nproc)} count most
  [ -z "$hosts" ] ||
    slots=$((slots * $(grep -c -v -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$hosts")))
  if [ -z "$chunk" ]; then
    count=$((CHUNKS_A_SLOT * slots))
    most=$((total / $(smallest_chunk)))
    [ "$count" -le "$most" ] || count=$most
    [ "$count" -ge 1 ] || count=1
    chunk=$(((total + count - 1) / count))
  fi
  "$capture" "${pass[@]}" "$output_kind" "$output" --print-chunks "$chunk" >"$stage/chunks" ||
    fail "capture --print-chunks $chunk failed"
  chunks=$(wc -l <"$stage/chunks")
  local_jobs=${jobs:-$(nproc)}
  [ "$local_jobs" -le "$chunks" ] || local_jobs=$chunks
}

# One chunk on whichever machine parallel gives it:
#   farm_chunk SEQ SLOT FROM TO CAPTURE_OPTION...
# captures its frames as PNG files into chunk_SEQ, in the stage directory on this machine, or in
# parallel's working directory on another, from which parallel brings it back. Its progress lines
# go to the job's output, which parallel keeps in log/SEQ. The machine's cores are shared out
# among its FARM_JOBS job slots (all of them when empty): llvmpipe, which starts a thread a core
# in every process, gets its share in LP_NUM_THREADS unless FARM_THREADS gives it; with FARM_PIN
# the slot runs on cores of its own.
farm_chunk() {
  local out=$PWD/chunk_$1 slot=$2 from=$3 to=$4
  [ "${PARALLEL_SSHLOGIN:-:}" != : ] || out=$FARM_STAGE/chunk_$1
  shift 4
  # The cores this job may run on, which need not start at 0 in a container.
  local cpus=() part cores slots share first mine pin=()
  for part in $(taskset -cp $$ | sed 's/.*: //' | tr ',' ' '); do
    if [[ $part == *-* ]]; then
      mapfile -t -O "${#cpus[@]}" cpus < <(seq "${part%-*}" "${part#*-}")
    else
      cpus+=("$part")
    fi
  done
  cores=${#cpus[@]}
  slots=${FARM_JOBS:-$cores}
  share=$((cores / slots > 1 ? cores / slots : 1))
  export LP_NUM_THREADS=${FARM_THREADS:-$share}
  if [ "$FARM_PIN" = 1 ] && [ "$cores" -gt 0 ]; then
    first=$((((slot - 1) * share) % cores))
    mine=("${cpus[@]:first:share}")
    pin=(taskset -c "$(IFS=,; echo "${mine[*]}")")
  fi
  rm -rf "$out"
  cd "$FARM_ASSETS" || return 1
  # Without a display the chunk has its own Xvfb, which picks a free display number itself, so
  # that jobs starting together do not collide.
  if [ -z "${DISPLAY:-}" ]; then
    local display
    coproc FARM_XVFB {
      exec "${pin[@]}" Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x720x24 2>/dev/null
    }
    if ! read -r -t 20 display <&"${FARM_XVFB[0]}"; then
      echo "capture-farm: Xvfb did not start on $(hostname)" >&2
      return 1
    fi
    export DISPLAY=:$display
  fi
  # A program of this presentation that has a terminal writes to it whatever its streams are; in
  # a session of its own it has none, and its report reaches the chunk's log. Being out of the
  # job's process group, it is stopped by hand when parallel stops the job.
  setsid "${pin[@]}" "$FARM_CAPTURE" --from "$from" --to "$to" "$@" --png "$out" \
    --progress-fd 3 3>&1 >/dev/null &
  local capture=$! status
  trap 'kill "$capture" 2>/dev/null' TERM INT HUP
  wait "$capture"
  status=$?
  [ -z "${FARM_XVFB_PID:-}" ] || kill "$FARM_XVFB_PID" 2>/dev/null
  return $status
}

start_parallel() {
  local options=() where=() i
  for ((i = 0; i < ${#pass[@]}; i += 2)); do
    case ${pass[i]} in --from|--to) ;; *) options+=("${pass[i]}" "${pass[i + 1]}") ;; esac
  done
  export -f farm_chunk
  export FARM_STAGE=$stage FARM_ASSETS=$PWD FARM_CAPTURE=$capture FARM_PIN=$pinned
  export FARM_THREADS=${LP_NUM_THREADS:-} FARM_JOBS=""
  # On this machine only as many slots as there are chunks; on hosts, their own count.
  if [ -z "$hosts" ]; then
    FARM_JOBS=$local_jobs
    where+=(--jobs "$local_jobs")
  elif [ -n "$jobs" ]; then
    FARM_JOBS=$jobs
    where+=(--jobs "$jobs")
  fi
  [ -z "$hosts" ] || where+=(--sshloginfile "$hosts" --workdir ... --return 'chunk_{#}' --cleanup)
  # parallel runs in the stage directory, where --return brings the chunks of other machines. It
  # joins the command's words into one shell line: the options go in quoted.
  (cd "$stage" && exec parallel "${where[@]}" --colsep ' ' --retries "$TRIES" --halt now,fail=1 \
     --env farm_chunk --env FARM_STAGE --env FARM_ASSETS --env FARM_CAPTURE --env FARM_PIN \
     --env FARM_THREADS --env FARM_JOBS \
     --joblog "$stage/joblog" --results "$stage/log/{#}" farm_chunk '{#}' '{%}' '{3}' '{4}' \
     "${options[@]@Q}" <"$stage/chunks" >"$stage/parallel.out" 2>&1) &
  child_pid=$!
}

# The frames done: each chunk's capture writes "frames DONE TOTAL" lines to log/SEQ as it goes; a
# retried chunk starts again from 0.
frames_done() {
  awk '$1 == "frames" && NF == 3 { done[FILENAME] = $2 }
       END { for (f in done) sum += done[f]; print sum + 0 }' "$stage"/log/*[0-9] 2>/dev/null ||
    echo 0
}

duration() {
  local s=$1
  if [ "$s" -ge 3600 ]; then printf '%d h %02d min' $((s / 3600)) $((s / 60 % 60))
  elif [ "$s" -ge 60 ]; then printf '%d min %02d s' $((s / 60)) $((s % 60))
  else printf '%d s' "$s"; fi
}

# "RATE SECONDS": frames a second and seconds spent since the start.
speed() {
  awk -v done="$1" -v start="$started" -v now="$(date +%s.%N)" \
    'BEGIN { printf "%.2f %.1f", done / (now - start), now - start }'
}

progress_line() {
  local done=$1 rate spent left="?"
  read -r rate spent <<<"$(speed "$done")"
  [ "$done" -eq 0 ] || left=$(duration $(((total - done) * ${spent%.*} / done)))
  printf 'capture-farm: frame %d of %d, %s frames/s, %s left, %d chunks on %s' \
    "$done" "$total" "$rate" "$left" "$chunks" "$machines"
}

# Until it is stopped: redrawn in place on a terminal, a line every few seconds otherwise. It runs
# beside the wait for parallel, so that the farm goes on the moment parallel ends.
# Its sleeps hold none of the farm's streams, so that one left running when it is stopped keeps no
# reader of them waiting.
show_progress() {
  local interval=$((terminal ? 1 : 5))
  sleep 1 >/dev/null 2>&1
  while :; do
    if [ "$terminal" -eq 1 ]; then
      printf '\r%s\033[K' "$(progress_line "$(frames_done)")" >&2
    else
      printf '%s\n' "$(progress_line "$(frames_done)")" >&2
    fi
    sleep "$interval" >/dev/null 2>&1
  done
}

stop_progress() {
  [ -n "$progress_pid" ] || return 0
  kill "$progress_pid" 2>/dev/null
  wait "$progress_pid" 2>/dev/null
  progress_pid=""
  [ "$terminal" -eq 0 ] || printf '\r\033[K' >&2
}

# The one line for a run that parallel ended: the chunk that failed every try, and why.
report_failure() {
  local failed first end from to reason
  failed=$(awk -F '\t' 'NR > 1 && $7 != 0 { print $1; exit }' "$stage/joblog")
  [ -n "$failed" ] ||
    fail "parallel failed: $(grep -v '^[[:space:]]*$' "$stage/parallel.out" | tail -n 1)"
  read -r first end from to < <(sed -n "${failed}p" "$stage/chunks")
  reason=$(grep -v -e '^[[:space:]]*$' -e '^parallel: ' "$stage/log/$failed.err" | tail -n 1)
  fail "chunk $failed of $chunks (frames $first to $((end - 1)), --from $from --to $to)" \
    "failed $TRIES times: ${reason:-no message}"
}

# Every chunk is complete: its frames join one directory, by renaming.
gather_frames() {
  local seq found
  mkdir "$stage/frames"
  for ((seq = 1; seq <= chunks; seq++)); do
    find "$stage/chunk_$seq" -name 'frame_*.png' -exec mv -t "$stage/frames" {} + ||
      fail "chunk $seq: its frames did not arrive in $stage/chunk_$seq"
  done
  found=$(find "$stage/frames" -name 'frame_*.png' | wc -l)
  [ "$found" -eq "$total" ] || fail "the chunks gave $found frames of $total"
}

deliver() {
  if [ "$output_kind" = --video ]; then
    local encoded
    encoded=$stage/$(basename "$output")
    echo "capture-farm: encoding the $total frames into $output" >&2
    "$capture" "${pass[@]}" --encode-png "$stage/frames" --video "$encoded" &
    child_pid=$!
    wait "$child_pid" || exit 1
    child_pid=""
    mv -f "$encoded" "$output" || fail "--video $output: cannot be made"
  elif [ -d "$output" ]; then
    find "$stage/frames" -name 'frame_*.png' -exec mv -f -t "$output" {} + ||
      fail "--png $output: cannot move the frames into it"
  else
    mv "$stage/frames" "$output" || fail "--png $output: cannot be made"
  fi
}

write_chunks
machines="this machine"
[ -z "$hosts" ] || machines="the hosts of $hosts"
started=$(date +%s.%N)
start_parallel
show_progress &
progress_pid=$!
wait "$child_pid"
status=$?
child_pid=""
stop_progress
[ "$status" -eq 0 ] || report_failure
gather_frames
deliver
read -r rate spent <<<"$(speed "$total")"
echo "capture-farm: $total frames in $spent s, $rate frames/s, $chunks chunks" >&2
