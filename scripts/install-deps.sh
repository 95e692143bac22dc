#!/usr/bin/env bash
# Installs the Debian packages that building and playing need; with --windows those that the
# Windows build needs too, with --web those of the browser build, and with --test those that the
# tests (the Windows and browser suites among them), the benchmarks, the fuzzers and the format
# check need; nothing when all are there.
# Runs apt through sudo when not root; where that cannot be done without a password, says in one
# line what to run as root and fails.
#   scripts/install-deps.sh [--windows] [--web] [--test]
set -euo pipefail

build=(
  build-essential cmake pkg-config
  libglfw3-dev libepoxy-dev libglu1-mesa-dev libgl1-mesa-dri
  libspng-dev libsdl2-dev libsdl2-mixer-dev
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

echo "Installing: ${missing[*]}"
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
