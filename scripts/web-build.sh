#!/usr/bin/env bash
# Builds the presentation for the browser into a directory: index.html, demo.js, demo.wasm,
# demo.data (the asset directory, packed) and demo-web.zip holding the four. zlib and libspng are
# compiled with emcc first (scripts/web-deps.sh, into BUILD/deps, once).
#   scripts/web-build.sh BUILD ASSETS        (make web passes build-web and build/assets)
# Serve BUILD over HTTP (python3 -m http.server -d BUILD 8000): file:// cannot load the data.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: scripts/web-build.sh BUILD-DIRECTORY ASSET-DIRECTORY" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
if [ ! -d "$2" ]; then
  echo "web-build: $2: not an asset directory" >&2
  exit 1
fi
assets=$(cd "$2" && pwd)
jobs=${JOBS:-2}
# emcc run by another node than Debian's cannot find its own JavaScript modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs:/usr/lib/nodejs}
# Objects compiled in another build directory or worktree are reused.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}

if ! command -v emcmake >/dev/null; then
  echo "web-build: no emcmake: run scripts/install-deps.sh --web first" >&2
  exit 1
fi

JOBS=$jobs "$root/scripts/web-deps.sh" "$build/deps"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDEMO_WERROR="${WERROR:-OFF}" \
  -DDEMO_WEB_PREFIX="$build/deps" -DDEMO_WEB_ASSETS="$assets" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$jobs" -- --no-print-directory
