#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, and nothing when all are
# there already. Runs apt through sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config git
  clang libclang-rt-14-dev
  libglfw3-dev libepoxy-dev libglu1-mesa-dev libgl1-mesa-dri
  libspng-dev libsdl2-dev libsdl2-mixer-dev libmp3lame-dev libmpg123-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libtinyobjloader-dev assimp-testmodels
  xvfb xauth ffmpeg xdotool
  parallel rsync openssh-client  # the capture farm, on this machine and over ssh
  openssh-server                 # the farm's test runs a private sshd
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
