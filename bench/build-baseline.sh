#!/usr/bin/env bash
# Builds the capture program of an earlier revision, for bench_frames to run against this build's:
# a detached worktree of REVISION in DIR (default build-baseline-REVISION, beside this checkout's
# build directories), configured for Release, with only capture built. Prints the program's path.
#   bench/build-baseline.sh REVISION [DIR]
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: bench/build-baseline.sh REVISION [DIR]" >&2; exit 2; }
revision=$1
root=$(git rev-parse --show-toplevel)
commit=$(git rev-parse --verify "$revision^{commit}")
dir=$(realpath -m "${2:-$root/build-baseline-${commit:0:12}}")

if [ ! -d "$dir/source" ]; then
  git -C "$root" worktree add --detach "$dir/source" "$commit" >&2
fi
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$dir/source" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  "${launcher[@]}" >&2
cmake --build "$dir/build" -j2 --target capture >&2
echo "$dir/build/tools/capture/capture"
