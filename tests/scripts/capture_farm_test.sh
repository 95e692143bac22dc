#!/usr/bin/env bash
# The capture farm run as a user runs it, from the fixture asset directory, against one capture of
# the same frames. Across 9.5 to 10.5 s the range holds the fade of scene 1 to white, the change to
# scene 2 at 10 s and its fade from white.
#   capture_farm_test.sh CASE FARM CAPTURE ASSET_DIR
# CASE names one of the functions below.
# shellcheck disable=SC2317  # the cases are called by name
set -u
case_name=$1
farm=$2
capture=$3
assets=$4
work=$(mktemp -d)
sshd_pid=""
cleanup() {
  [ -z "$sshd_pid" ] || kill "$sshd_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# parallel keeps its state under the home directory.
export HOME=$work
cd "$assets" || exit 1
range=(--from 9.5 --to 10.5 --size 160x90)
failures=0

check() {
  if "${@:2}"; then return; fi
  echo "FAIL: $1"
  failures=$((failures + 1))
}

# Runs the farm; its status in `status`, its stderr in $work/err.
run_farm() {
  "$farm" --capture "$capture" "$@" 2>"$work/err"
  status=$?
}

# One capture's frames in $work/one, as the farm's must be.
capture_once() {
  "$capture" "${range[@]}" "$@" >/dev/null 2>"$work/one.err" || { cat "$work/one.err"; exit 1; }
}

same_frames() {
  [ "$(find "$1" -name 'frame_*.png' | wc -l)" -eq 60 ] && diff -r -q "$1" "$work/one" >/dev/null
}

# The lines of the farm's stderr that are not its progress.
messages() {
  grep -v -E '^capture-farm: frame [0-9]+ of' "$work/err"
}

one_line_naming() {
  [ "$(messages | wc -l)" -eq 1 ] && messages | grep -q -e "$1"
}

nothing_beside() {
  [ -z "$(find "$1" -mindepth 1 -name '.*farm*' -print -quit)" ]
}

# A capture that notes in $work/started, for each chunk it renders, its llvmpipe threads and the
# number of cores it may run on.
recording_capture() {
  cat >"$work/recording" <<EOF
#!/usr/bin/env bash
[[ " \$* " == *" --print-"* ]] ||
  echo "\${LP_NUM_THREADS:-unset} \$(taskset -cp \$\$ | sed 's/.*: //' | awk -F, '{
    for (i = 1; i <= NF; i++) { n = split(\$i, r, "-"); c += n == 2 ? r[2] - r[1] + 1 : 1 }
    print c }')" >>"$work/started"
exec "$capture" "\$@"
EOF
  chmod +x "$work/recording"
  : >"$work/started"
}

# Pinned, each of the 2 job slots runs on its half of the cores with as many llvmpipe threads; with
# far more jobs than the range is worth, one chunk and one capture.
PngFramesEqualOneCapture() {
  capture_once --png "$work/one"
  recording_capture
  run_farm --capture "$work/recording" --jobs 2 --pin --chunk 16 "${range[@]}" --png "$work/farm"
  check "exit status $status: $(messages)" [ "$status" -eq 0 ]
  check "the frames differ from one capture's" same_frames "$work/farm"
  local share=$(($(nproc) / 2 > 1 ? $(nproc) / 2 : 1))
  check "4 chunks, each with $share threads on $share cores: $(cat "$work/started")" \
    [ "$(sort -u "$work/started" | tr '\n' ' ')$(wc -l <"$work/started")" = "$share $share 4" ]
  recording_capture
  run_farm --capture "$work/recording" --jobs 50 "${range[@]}" --png "$work/many"
  check "exit status $status: $(messages)" [ "$status" -eq 0 ]
  check "--jobs 50 started $(wc -l <"$work/started") captures for 60 small frames" \
    [ "$(wc -l <"$work/started")" -eq 1 ]
  check "the frames differ from one capture's" same_frames "$work/many"
}

# Packets, rate, end time and the decoded pictures and sound of a video, one line each.
video_facts() {
  local facts=()
  facts+=("$(ffprobe -v error -select_streams v -count_packets \
             -show_entries stream=nb_read_packets,r_frame_rate,codec_name -of csv=p=0 "$1")")
  facts+=("$(ffprobe -v error -select_streams a -count_packets \
             -show_entries stream=nb_read_packets,sample_rate,codec_name -of csv=p=0 "$1")")
  facts+=("$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1")")
  facts+=("$(ffmpeg -v error -i "$1" -map 0:v -f framemd5 - | grep -v '^#' | md5sum)")
  facts+=("$(ffmpeg -v error -i "$1" -map 0:a -f framemd5 - | grep -v '^#' | md5sum)")
  printf '%s\n' "${facts[@]}"
}

VideoHasTheFramesRateAndSoundOfOneCapture() {
  capture_once --video "$work/one.mp4"
  # As on a machine without a display: each chunk starts an X server of its own.
  DISPLAY="" run_farm --jobs 2 --chunk 16 "${range[@]}" --video "$work/farm.mp4"
  check "exit status $status: $(messages)" [ "$status" -eq 0 ]
  local one farm
  one=$(video_facts "$work/one.mp4")
  farm=$(video_facts "$work/farm.mp4")
  echo "$farm"
  check "60 frames at 60/1 with a soundtrack" grep -q '^h264,60/1,60$' <<<"$farm"
  check "the video differs from one capture's: $one" [ "$one" = "$farm" ]
}

# The second chunk's capture always fails; the farm runs it three times, then names it in one
# line, and neither the new frame directory nor a change to an existing video is left behind.
FailedChunkIsRetriedThenNamedAndNothingIsLeft() {
  cat >"$work/failing" <<EOF
#!/usr/bin/env bash
case " \$* " in
  *" --from 9.7 "*) echo x >>"$work/tries"; echo "capture: made to fail" >&2; exit 1 ;;
esac
exec "$capture" "\$@"
EOF
  chmod +x "$work/failing"
  echo "earlier video" >"$work/kept.mp4"
  local output
  for output in "--png $work/frames" "--video $work/kept.mp4"; do
    : >"$work/tries"
    # shellcheck disable=SC2086  # the option and its path
    run_farm --capture "$work/failing" --jobs 2 --chunk 10 --fps 50 "${range[@]}" $output
    check "$output: exit status $status" [ "$status" -eq 1 ]
    check "$output: tried $(wc -l <"$work/tries") times" [ "$(wc -l <"$work/tries")" -eq 3 ]
    check "$output: not one line naming the chunk: $(messages)" \
      one_line_naming 'chunk 2 of 5 .*--from 9.7 --to 9.9.*made to fail'
  done
  check "a frame directory was left" [ ! -e "$work/frames" ]
  check "the earlier video was changed" grep -qx "earlier video" "$work/kept.mp4"
  check "a stage directory was left" nothing_beside "$work"
}

BadOptionGivesOneLineAndStatusTwo() {
  local line
  while IFS='|' read -r line named; do
    # shellcheck disable=SC2086  # each line of the table is a command line
    run_farm $line
    check "$line: exit status $status" [ "$status" -eq 2 ]
    check "$line: not one line naming $named: $(cat "$work/err")" one_line_naming "$named"
  done <<EOF
--jobs 0 --png $work/a|--jobs 0
--chunk x --png $work/a|--chunk x
--speed 2 --png $work/a|--speed
--hosts $work/missing --png $work/a|--hosts
--png $work/a --video $work/b.mp4|only one
--fps 0 --png $work/a|--fps 0
--supersample 5 --png $work/a|--supersample 5
--video $work/b.avi|b.avi
--png|--png: needs a value
--size 640x360|--png DIR or --video FILE
EOF
  # A name holding a line break, and a hosts line with shell syntax, which GNU parallel would
  # answer with its internal error.
  run_farm --png "$work/a"$'\n'"b"
  check "a line break: exit status $status" [ "$status" -eq 2 ]
  check "a line break: not one line: $(cat "$work/err")" one_line_naming "line break"
  printf '# farm\n:\nhost;touch %s\n' "$work/a" >"$work/hosts"
  run_farm --hosts "$work/hosts" --png "$work/a"
  check "shell syntax in --hosts: exit status $status" [ "$status" -eq 2 ]
  check "shell syntax in --hosts: not one line: $(cat "$work/err")" one_line_naming "line 3"
  check "an output was made" [ ! -e "$work/a" ]
}

# A private sshd on a loopback port, reached as two hosts, 127.0.0.1 and 127.0.0.2, with keys made
# for the test. Each address gives its sessions a `setsid` of its own on the PATH, which notes in
# $work/ssh/ran that a chunk's capture started there. Sets `port` and `sshd_pid` once it listens.
start_sshd() {
  mkdir "$work/ssh"
  ssh-keygen -q -t ed25519 -N '' -f "$work/ssh/host_key" || return 1
  ssh-keygen -q -t ed25519 -N '' -f "$work/ssh/user_key" || return 1
  cp "$work/ssh/user_key.pub" "$work/ssh/authorized_keys"
  local host
  for host in one two; do
    mkdir "$work/ssh/$host"
    printf '#!/bin/sh\necho %s >>%s\nexec %s "$@"\n' \
      "$host" "$work/ssh/ran" "$(command -v setsid)" >"$work/ssh/$host/setsid"
    chmod +x "$work/ssh/$host/setsid"
  done
  # The sessions keep the sanitizer settings the test runs with, as they would on a farm of such
  # builds, where ssh passes no environment.
  local sanitizer="" name
  for name in LD_PRELOAD ASAN_OPTIONS LSAN_OPTIONS; do
    [ -z "${!name:-}" ] || sanitizer+=" $name=${!name}"
  done
  # As root, sshd wants the directory its service would make at boot.
  [ "$(id -u)" -ne 0 ] || [ -d /run/sshd ] || mkdir -m 0755 /run/sshd
  for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    cat >"$work/ssh/sshd_config" <<EOF
Port $port
ListenAddress 127.0.0.1
ListenAddress 127.0.0.2
HostKey $work/ssh/host_key
AuthorizedKeysFile $work/ssh/authorized_keys
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
PidFile none
Match LocalAddress 127.0.0.1
  SetEnv PATH=$work/ssh/one:/usr/local/bin:/usr/bin:/bin $sanitizer
Match LocalAddress 127.0.0.2
  SetEnv PATH=$work/ssh/two:/usr/local/bin:/usr/bin:/bin $sanitizer
EOF
    # sshd itself runs without them: its sandboxed children refuse a preloaded sanitizer runtime.
    env -u LD_PRELOAD -u ASAN_OPTIONS -u LSAN_OPTIONS \
      /usr/sbin/sshd -D -f "$work/ssh/sshd_config" -E "$work/ssh/log" </dev/null >/dev/null 2>&1 &
    sshd_pid=$!
    for _ in $(seq 50); do
      [ "$(grep -c "Server listening" "$work/ssh/log" 2>/dev/null)" = 2 ] && return 0
      kill -0 "$sshd_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$sshd_pid" 2>/dev/null
    sshd_pid=""
  done
  return 1
}

ChunksRunOverSshOnTwoHosts() {
  capture_once --png "$work/one"
  start_sshd || { cat "$work/ssh/log"; echo "FAIL: sshd did not start"; exit 1; }
  cat >"$work/ssh/config" <<EOF
Host farm-one farm-two
  Port $port
  IdentityFile $work/ssh/user_key
  IdentitiesOnly yes
  BatchMode yes
  StrictHostKeyChecking no
  UserKnownHostsFile /dev/null
  LogLevel ERROR
Host farm-one
  HostName 127.0.0.1
Host farm-two
  HostName 127.0.0.2
EOF
  printf '1/ssh -F %s farm-one\n1/ssh -F %s farm-two\n' "$work/ssh/config" "$work/ssh/config" \
    >"$work/hosts"
  run_farm --hosts "$work/hosts" --chunk 20 "${range[@]}" --png "$work/farm"
  check "exit status $status: $(messages)" [ "$status" -eq 0 ]
  check "the frames differ from one capture's" same_frames "$work/farm"
  local host
  for host in one two; do
    check "no chunk ran on host $host" grep -qx "$host" "$work/ssh/ran"
  done
}

"$case_name"
[ "$failures" -eq 0 ] && echo "$case_name: passed"
exit $((failures > 0))
