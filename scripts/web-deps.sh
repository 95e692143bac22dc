#!/usr/bin/env bash
# Compiles the libraries the browser build links with emcc, from Debian's own source packages,
# into a prefix: zlib and libspng, so that a PNG decodes to the same pixels as on Linux (the
# browser's own decoder alters the colour of transparent pixels). Emscripten's ports would need a
# download of their own. A library already built at the same version is not built again; each
# build keeps its log in PREFIX/logs, and its tail is shown when it fails.
#   scripts/web-deps.sh PREFIX        (make web passes build-web/deps)
set -euo pipefail

prefix=$(mkdir -p "$1" && cd "$1" && pwd)
# emcc run by another node than Debian's cannot find its own JavaScript modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs:/usr/lib/nodejs}

# Debian source package, its upstream tarball's version, and the version that names the stamp.
libraries=(zlib:1.2.13.dfsg:1.2.13 libspng:0.7.3:0.7.3)

stamp() { echo "$prefix/.built-$1-$2"; }

pending=()
for entry in "${libraries[@]}"; do
  IFS=: read -r package _ version <<<"$entry"
  [ -e "$(stamp "$package" "$version")" ] || pending+=("$entry")
done
[ ${#pending[@]} -eq 0 ] && exit 0

if ! command -v emcc >/dev/null; then
  echo "web-deps: no emcc: run scripts/install-deps.sh --web first" >&2
  exit 1
fi

# A deb-src list of our own, with its own package lists and cache: the system's apt configuration
# and state are neither read for sources nor changed.
apt_dir=$prefix/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$prefix/src" "$prefix/logs"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
  "http://deb.debian.org/debian bookworm main" >"$apt_dir/sources.list"
apt_private=(-q -o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
             -o APT::Sandbox::User=root)

# Runs a step with its output in the library's log; on failure shows the log's tail and stops.
logged() {
  local log=$1
  shift
  if ! "$@" >>"$log" 2>&1; then
    echo "web-deps: failed: $*; the end of $log:" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
}

update_log=$prefix/logs/apt-update.log
: >"$update_log"
logged "$update_log" apt-get "${apt_private[@]}" update

# Only the upstream tarball is used: the archive sometimes lacks a package's Debian side file,
# which makes apt-get source fail though the tarball arrived.
fetch_source() {
  local package=$1 upstream=$2 log=$3
  local tarball
  tarball=$(ls "$prefix/src/${package}_$upstream.orig.tar."* 2>/dev/null | head -n 1 || true)
  if [ -z "$tarball" ]; then
    (cd "$prefix/src" && apt-get "${apt_private[@]}" source --download-only "$package" \
      >>"$log" 2>&1 || true)
    tarball=$(ls "$prefix/src/${package}_$upstream.orig.tar."* 2>/dev/null | head -n 1 || true)
  fi
  if [ -z "$tarball" ]; then
    echo "web-deps: $package $upstream: no source tarball from Debian; the end of $log:" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
  rm -rf "$prefix/src/$package"
  mkdir -p "$prefix/src/$package"
  tar -xf "$tarball" -C "$prefix/src/$package" --strip-components=1
}

# Only the inflating side is used, but the whole library is small. Emscripten's libc has unistd.h,
# which zlib's own configure would have found.
build_zlib() {
  local source=$1 log=$2
  local objects=()
  for file in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
              inflate inftrees trees uncompr zutil; do
    logged "$log" emcc -O2 -DZ_HAVE_UNISTD_H -c "$source/$file.c" -o "$source/$file.o"
    objects+=("$source/$file.o")
  done
  mkdir -p "$prefix/include" "$prefix/lib"
  rm -f "$prefix/lib/libz.a"
  logged "$log" emar rcs "$prefix/lib/libz.a" "${objects[@]}"
  cp "$source/zlib.h" "$source/zconf.h" "$prefix/include/"
}

# Its CMake refuses a static library alone; the library is one C file over zlib.
build_libspng() {
  local source=$1 log=$2
  logged "$log" emcc -O2 -DSPNG_STATIC -I"$prefix/include" -c "$source/spng/spng.c" \
    -o "$source/spng.o"
  rm -f "$prefix/lib/libspng.a"
  logged "$log" emar rcs "$prefix/lib/libspng.a" "$source/spng.o"
  cp "$source/spng/spng.h" "$prefix/include/"
}

for entry in "${pending[@]}"; do
  IFS=: read -r package upstream version <<<"$entry"
  start=$SECONDS
  log=$prefix/logs/$package.log
  : >"$log"
  fetch_source "$package" "$upstream" "$log"
  "build_$package" "$prefix/src/$package" "$log"
  rm -rf "$prefix/src/$package"
  touch "$(stamp "$package" "$version")"
  echo "web-deps: $package $version built in $((SECONDS - start)) s"
done
