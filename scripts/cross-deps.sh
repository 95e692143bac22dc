#!/usr/bin/env bash
# Cross-builds the libraries the Windows build links, from Debian's own source packages, into a
# prefix: GLFW (its CMake), libepoxy (meson), libspng (its one C file; zlib is Debian's
# libz-mingw-w64-dev). A library already built at the same version is not built again. What apt
# and each build print goes to PREFIX/logs/<step>.log, whose end is shown when the step fails.
#   scripts/cross-deps.sh PREFIX        (make windows passes build-win/deps)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(mkdir -p "$1" && cd "$1" && pwd)
triple=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-2}

# Debian source package and upstream version of each library; the version names the stamp.
libraries=(glfw3:3.3.8 libepoxy:1.5.10 libspng:0.7.3)

# Windows brings OpenGL and GLU itself (opengl32, glu32); epoxy's .pc requires a "gl" package, and
# the build asks for "glu" as on Linux.
system_pc() {
  mkdir -p "$prefix/lib/pkgconfig"
  printf 'Name: %s\nDescription: %s from Windows\nVersion: 1\nLibs: %s\n' "$1" "$1" "$2" \
    >"$prefix/lib/pkgconfig/$1.pc"
}
system_pc gl -lopengl32
system_pc glu "-lglu32 -lopengl32"

stamp() { echo "$prefix/.built-$1-$2"; }

logs=$prefix/logs
mkdir -p "$logs"

# `logged NAME COMMAND...`: runs the command with its output in logs/NAME.log; when it fails, says
# so with the end of that log and stops the script.
logged() {
  local name=$1 log=$logs/$1.log
  shift
  if ! "$@" >>"$log" 2>&1; then
    echo "cross-deps: $name failed: $*; the end of $log:" >&2
    tail -n 25 "$log" | sed 's/^/  /' >&2
    exit 1
  fi
}

pending=()
for entry in "${libraries[@]}"; do
  [ -e "$(stamp "${entry%%:*}" "${entry#*:}")" ] || pending+=("$entry")
done
[ ${#pending[@]} -eq 0 ] && exit 0

# A deb-src list of our own, with its own package lists and cache: the system's apt configuration
# and state are neither read for sources nor changed.
apt_dir=$prefix/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$prefix/src"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
  "http://deb.debian.org/debian bookworm main" >"$apt_dir/sources.list"
apt_private=(-q -o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
             -o APT::Sandbox::User=root)
: >"$logs/apt-update.log"
logged apt-update apt-get "${apt_private[@]}" update

# Only the upstream tarball is used: the archive sometimes lacks a package's Debian side file,
# which makes apt-get source fail though the tarball arrived; apt's reason is in the log.
fetch_source() {
  local package=$1 version=$2
  local tarball=$prefix/src/${package}_$version.orig.tar.gz
  if [ ! -e "$tarball" ]; then
    (cd "$prefix/src" && apt-get "${apt_private[@]}" source --download-only "$package") \
      >>"$logs/$package.log" 2>&1
  fi
  if [ ! -e "$tarball" ]; then
    echo "cross-deps: $package $version: no source tarball from Debian; the end of" \
      "$logs/$package.log:" >&2
    tail -n 25 "$logs/$package.log" | sed 's/^/  /' >&2
    exit 1
  fi
  rm -rf "$prefix/src/$package"
  mkdir -p "$prefix/src/$package"
  tar -xzf "$tarball" -C "$prefix/src/$package" --strip-components=1
  echo "$prefix/src/$package"
}

build_glfw3() {
  local source=$1
  logged glfw3 cmake -S "$source" -B "$source/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF
  logged glfw3 cmake --build "$source/build" -j "$jobs"
  logged glfw3 cmake --install "$source/build"
}

build_libepoxy() {
  local source=$1
  cat >"$source/cross.txt" <<EOF
[binaries]
c = '$triple-gcc-posix'
ar = '$triple-ar'
strip = '$triple-strip'
windres = '$triple-windres'
pkgconfig = 'pkg-config'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF
  logged libepoxy meson setup "$source/build" "$source" --cross-file "$source/cross.txt" \
    --prefix "$prefix" --libdir lib --buildtype release -Ddefault_library=static -Ddocs=false \
    -Dtests=false -Degl=no -Dglx=no -Dx11=false
  logged libepoxy ninja -C "$source/build" -j "$jobs" install
}

# Its CMake refuses a static library alone; the library is one C file over zlib.
build_libspng() {
  local source=$1
  mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
  logged libspng "$triple-gcc-posix" -O2 -DSPNG_STATIC -c "$source/spng/spng.c" -o "$source/spng.o"
  rm -f "$prefix/lib/libspng.a"
  logged libspng "$triple-ar" rcs "$prefix/lib/libspng.a" "$source/spng.o"
  cp "$source/spng/spng.h" "$prefix/include/"
  # Debian's zlib comes as a static archive and a DLL's import library side by side, and a search
  # for "z" takes the import library; the prefix holds the archive alone, and is searched first.
  ln -sf "/usr/$triple/lib/libz.a" "$prefix/lib/libz.a"
  cat >"$prefix/lib/pkgconfig/spng.pc" <<EOF
prefix=$prefix
Name: spng
Description: PNG decoding and encoding (static)
Version: $2
Cflags: -I\${prefix}/include -DSPNG_STATIC
Libs: -L\${prefix}/lib -lspng -lz
EOF
}

for entry in "${pending[@]}"; do
  package=${entry%%:*}
  version=${entry#*:}
  start=$SECONDS
  : >"$logs/$package.log"
  source=$(fetch_source "$package" "$version")
  "build_$package" "$source" "$version"
  rm -rf "$source"
  touch "$(stamp "$package" "$version")"
  echo "cross-deps: $package $version built in $((SECONDS - start)) s"
done
