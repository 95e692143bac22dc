#!/usr/bin/env bash
# Builds a page for the browser suites: the browser build of this tree with an asset directory
# packed into it, less the files named after it. Emscripten's libraries come from DEPS (built
# there by scripts/web-deps.sh once). The build's output goes to OUT.log; its tail is shown on
# failure.
#   build-page.sh SOURCE_DIR OUT_DIR DEPS ASSET_DIR [LEFT_OUT_FILE...]
set -euo pipefail
source=$1 out=$2 deps=$3 assets=$4
shift 4
# emcc run by another node than Debian's cannot find its own JavaScript modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs:/usr/lib/nodejs}
log=$out.log
: >"$log"

failed() {
  echo "build-page: $1 failed; the end of $log:" >&2
  tail -n 25 "$log" >&2
  exit 1
}

JOBS=${JOBS:-2} "$source/scripts/web-deps.sh" "$deps" >>"$log" 2>&1 || failed "scripts/web-deps.sh"

if [ $# -gt 0 ]; then
  # A copy to leave files out of, refreshed only when the set has changed, so that the pack and
  # the program are not relinked for nothing.
  copy=$out-assets
  mkdir -p "$copy.new"
  cp -p "$assets"/* "$copy.new/"
  for name in "$@"; do
    [ -e "$copy.new/$name" ] || { echo "build-page: $assets has no $name to leave out" >&2; exit 1; }
    rm "$copy.new/$name"
  done
  if diff -r -q "$copy.new" "$copy" >/dev/null 2>&1; then
    rm -r "$copy.new"
  else
    rm -rf "$copy" && mv "$copy.new" "$copy"
  fi
  assets=$copy
fi

if [ ! -f "$out/CMakeCache.txt" ]; then
  emcmake cmake -S "$source" -B "$out" -DCMAKE_BUILD_TYPE=Release -DDEMO_WERROR=ON \
    -DDEMO_WEB_PREFIX="$deps" -DDEMO_WEB_ASSETS="$assets" >>"$log" 2>&1 || failed "configuring"
fi
cmake --build "$out" -j "${JOBS:-2}" >>"$log" 2>&1 || failed "building"
