#!/usr/bin/env bash
# Builds a page for the browser suites with scripts/web-build.sh: an asset directory packed in,
# less the files named after it. The pages share the libraries built for the browser (DEPS). The
# build's output goes to OUT.log; its tail is shown on failure.
#   build-page.sh SOURCE_DIR OUT_DIR DEPS ASSET_DIR [LEFT_OUT_FILE...]
set -euo pipefail
source=$1 out=$2 assets=$4
deps=$(mkdir -p "$3" && cd "$3" && pwd)
shift 4
log=$out.log

if [ $# -gt 0 ]; then
  # A copy to leave files out of, replaced only when the set has changed, so that the pack and
  # the program are not relinked for nothing.
  copy=$out-assets
  rm -rf "$copy.new" && mkdir -p "$copy.new"
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

mkdir -p "$out"
ln -sfn "$deps" "$out/deps"
if ! WERROR=ON "$source/scripts/web-build.sh" "$out" "$assets" >"$log" 2>&1; then
  echo "build-page: scripts/web-build.sh $out $assets failed; the end of $log:" >&2
  tail -n 25 "$log" >&2
  exit 1
fi
