#!/usr/bin/env bash
# Installs the Debian packages that building and playing need; with --windows those that the
# Windows build needs too, with --web those of the browser build, and with --test those that the
# tests (the Windows and browser suites among them), the benchmarks, the fuzzers and the format
# check need; nothing when all are there.
# Runs apt through sudo when not root; where that cannot be done without a password, says in one
# line what to run as root and fails. While another apt or dpkg holds their locks, says so and
# waits for it, up to APT_LOCK_WAIT seconds (default 1800).
#   scripts/install-deps.sh [--windows] [--web] [--test]
set -euo pipefail

build=(
  build-essential cmake pkg-config
  libglfw3-dev libepoxy-dev libglu1-mesa-dev libgl1-mesa-dri
  libspng-dev zlib1g-dev libsdl2-dev libsdl2-mixer-dev  # zlib: capture's PNG strategies
  libmp3lame-dev  # the asset generator's MP3 encoder
  xvfb xauth      # playing without a display, under xvfb-run; the tests start Xvfb themselves
  ffmpeg          # the capture tool's video encoder
  parallel rsync openssh-client  # the capture farm, on this machine and over ssh
)
test=(
  libgtest-dev libgmock-dev libbenchmark-dev
  libtinyobjloader-dev assimp-testmodels  # the second OBJ reader and real-world models it compares
  libmpg123-dev                           # decodes the generated soundtrack back
  clang libclang-rt-14-dev                # libFuzzer and the sanitizers' runtimes for clang
  clang-format
  xdotool                                 # real key presses for the preview's tests
  openssh-server                          # the capture farm's test runs a private sshd
  wine wine64                             # runs the Windows suites
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good  # Wine's MP3 decoding, for MCI
  pulseaudio pulseaudio-utils             # a null sink that records what demo.exe plays
  chromium chromium-driver python3        # the browser build's suites, in headless Chromium
)
windows=(
  g++-mingw-w64-x86-64-posix  # the cross compiler, with winpthreads
  libz-mingw-w64-dev          # zlib for libspng
  meson                       # libepoxy's build
)

web=(
  emscripten  # emcc, its C library and its OpenGL, GLFW and Web Audio glue
  ccache      # shares objects between the browser build and its test build
)

packages=("${build[@]}")
for option in "$@"; do
  case "$option" in
    --windows) packages+=("${windows[@]}") ;;
    --web) packages+=("${web[@]}") ;;
    # The tests run the Windows build's and the browser build's suites too.
    --test) packages+=("${test[@]}" "${windows[@]}" "${web[@]}") ;;
    *) echo "install-deps: unknown option $option (only --windows, --web, --test)" >&2; exit 2 ;;
  esac
done

if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
  echo "install-deps: no dpkg-query or apt-get: this is not Debian; install the equivalents of: ${packages[*]}" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

command="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null || ! sudo -n true 2>/dev/null; then
    echo "install-deps: missing packages; run as root: $command" >&2
    exit 1
  fi
  apt=(sudo -n "${apt[@]}")
fi

# apt and dpkg take POSIX record locks on these files, which /proc/locks lists by inode.
# `apt-get update` gives up at once on a held lock of the package lists, whatever its
# DPkg::Lock::Timeout, so the wait is ours; apt's own timeout covers a lock taken in between.
locks=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock
       /var/cache/apt/archives/lock)
lock_wait=${APT_LOCK_WAIT:-1800}
deadline=$((SECONDS + lock_wait))

# "FILE PID" of a held lock, or nothing.
held_lock() {
  local file inode pid
  for file in "${locks[@]}"; do
    inode=$(stat -c %i "$file" 2>/dev/null) || continue
    pid=$(awk -v inode="$inode" '$2 != "->" && split($6, id, ":") == 3 && id[3] == inode {
                                   print $5; exit }' /proc/locks 2>/dev/null)
    [ -z "$pid" ] || { echo "$file $pid"; return; }
  done
}

wait_for_locks() {
  local file pid said=""
  while read -r file pid < <(held_lock); do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "install-deps: $file is still held by process $pid after $lock_wait s;" \
        "run again when it ends" >&2
      exit 1
    fi
    if [ "$said" != "$file $pid" ]; then
      echo "install-deps: waiting for $file, held by process $pid" \
        "($(cat "/proc/$pid/comm" 2>/dev/null || echo gone))" >&2
      said="$file $pid"
    fi
    sleep 2
  done
}

# `run_apt COMMAND...`: apt-get COMMAND once the locks are free; again when another apt took them
# between the check and apt's start.
run_apt() {
  local errors status
  errors=$(mktemp)
  while :; do
    wait_for_locks
    status=0
    "${apt[@]}" -o DPkg::Lock::Timeout=$((deadline > SECONDS ? deadline - SECONDS : 0)) "$@" \
      2>"$errors" || status=$?
    if [ "$status" -ne 0 ] && grep -q 'Could not get lock' "$errors" &&
       [ "$SECONDS" -lt "$deadline" ]; then
      sleep 2
      continue
    fi
    cat "$errors" >&2
    rm -f "$errors"
    return "$status"
  done
}

echo "Installing: ${missing[*]}"
run_apt update -qq
run_apt install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
