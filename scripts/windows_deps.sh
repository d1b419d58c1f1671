#!/usr/bin/env bash
# Builds the import's map libraries that Debian has no mingw-w64 package for
# (bzip2, expat, GeographicLib) from Debian's own source packages, as static
# Windows libraries, into build-windows-deps/prefix. zlib comes from Debian's
# libz-mingw-w64-dev; libosmium and protozero are header-only and taken from
# the build machine. Each library is built once: a later run finds its stamp
# and does nothing, without going to the network.
# Usage: scripts/windows_deps.sh   (scripts/windows.sh runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
deps=$PWD/build-windows-deps
src=$deps/src
prefix=$deps/prefix
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
host=x86_64-w64-mingw32
jobs=$(nproc)
# Raise when a recipe below changes, so that the libraries are built again.
recipe=1
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi

stamp() { echo "$deps/$1.built-$recipe"; }

built=1
for library in bzip2 expat geographiclib; do
  [ -f "$(stamp "$library")" ] || built=0
done
if [ "$built" -eq 1 ]; then
  echo "Windows map libraries: already built in $prefix"
  exit 0
fi

# apt-get source needs a deb-src entry for the machine's own Debian suite.
# It is made from the machine's deb entries for that suite (same mirrors,
# same components), so the sources match the installed packages' release.
add_deb_src() {
  # shellcheck disable=SC1091
  . /etc/os-release
  local suite=$VERSION_CODENAME
  local lists=/etc/apt/sources.list.d
  # Already there: a one-line entry, or a deb822 paragraph, for the suite.
  if cat /etc/apt/sources.list "$lists"/*.list 2>/dev/null |
    grep -qE "^deb-src[[:space:]].*[[:space:]]$suite[[:space:]]"; then
    return
  fi
  if cat "$lists"/*.sources 2>/dev/null | awk -v RS= -v suite="$suite" '
      /(^|\n)Types:[^\n]*deb-src/ && $0 ~ "(^|\n)Suites:[^\n]*[ \t]" suite "([ \t]|\n|$)" {found = 1}
      END {exit !found}'; then
    return
  fi
  local file made=0
  for file in "$lists"/*.sources; do
    [ -f "$file" ] && grep -qE "^Suites:.*\b$suite\b" "$file" || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$file" |
      $SUDO tee "$lists/scenario-compiler-deb-src-$(basename "$file")" >/dev/null
    made=1
  done
  if [ "$made" -eq 0 ]; then
    local one_line
    one_line=$(cat /etc/apt/sources.list "$lists"/*.list 2>/dev/null |
      grep -E "^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?[^[:space:]]+[[:space:]]+$suite(-[a-z]+)?[[:space:]]" |
      sed -E 's/^deb[[:space:]]/deb-src /' || true)
    if [ -z "$one_line" ]; then
      one_line="deb-src http://deb.debian.org/debian $suite main"
    fi
    echo "$one_line" | $SUDO tee "$lists/scenario-compiler-deb-src.list" >/dev/null
  fi
  echo "Added a deb-src entry for $suite"
}

fetch_sources() {
  mkdir -p "$src"
  local wanted=() package
  for package in bzip2 expat geographiclib; do
    source_dir "$package" >/dev/null || wanted+=("$package")
  done
  [ ${#wanted[@]} -eq 0 ] && return
  if ! apt-cache showsrc "${wanted[@]}" 2>/dev/null | grep -q '^Package:'; then
    add_deb_src
    $SUDO apt-get update -q
  fi
  for package in "${wanted[@]}"; do fetch_source "$package"; done
}

# The newest version of a source package that the mirror serves (a mirror
# may list a security update before it holds its files).
fetch_source() {
  local version
  for version in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV | uniq); do
    if (cd "$src" && apt-get source -q "$1=$version"); then return; fi
    echo "$1 $version: not fetched; trying an older version" >&2
  done
  echo "could not fetch the source package $1" >&2
  exit 1
}

# The unpacked source folder of a Debian source package, e.g. src/expat-2.5.0.
source_dir() {
  local dir
  dir=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name "$1-[0-9]*" 2>/dev/null | sort | tail -n 1)
  [ -n "$dir" ] && echo "$dir"
}

# -O2 as Debian builds them; no contraction into fused multiply-adds, as the
# program itself is built, so geodesic sums round as on Linux.
cflags="-O2 -ffp-contract=off"

build_bzip2() {
  local dir
  dir=$(source_dir bzip2)
  make -C "$dir" -j "$jobs" libbz2.a CC="$host-gcc-posix" AR="$host-ar" RANLIB="$host-ranlib" \
    CFLAGS="$cflags -D_FILE_OFFSET_BITS=64"
  install -D -m 644 "$dir/libbz2.a" "$prefix/lib/libbz2.a"
  install -D -m 644 "$dir/bzlib.h" "$prefix/include/bzlib.h"
  make -C "$dir" clean >/dev/null
}

# Configures a CMake project for the mingw toolchain; prints its build folder.
configure_cmake() {
  local dir=$1 build
  build=$deps/build/$(basename "$dir")
  shift
  cmake -S "$dir" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$cflags -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELEASE="$cflags -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF --no-warn-unused-cli "$@" >/dev/null
  echo "$build"
}

build_expat() {
  local dir build
  dir=$(source_dir expat)/expat
  # Debian's security fixes test `XML_DTD == 1`, as its autotools build
  # defines it; expat's CMake build defines it empty. Define it as 1 there too.
  sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$dir/expat_config.h.cmake"
  build=$(configure_cmake "$dir" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
    -DEXPAT_BUILD_PKGCONFIG=OFF)
  cmake --build "$build" -j "$jobs"
  cmake --install "$build" >/dev/null
}

# Only the library: its tools, tests and manual pages are not needed.
build_geographiclib() {
  local dir build
  dir=$(source_dir geographiclib)
  build=$(configure_cmake "$dir" -DBUILD_BOTH_LIBS=OFF -DBUILD_DOCUMENTATION=OFF -DBUILD_MANPAGES=OFF)
  cmake --build "$build" -j "$jobs" --target GeographicLib_STATIC
  install -D -m 644 "$build/lib/libGeographicLib.a" "$prefix/lib/libGeographicLib.a"
  install -d "$prefix/include/GeographicLib"
  install -m 644 "$dir"/include/GeographicLib/*.hpp "$build/include/GeographicLib/Config.h" \
    "$prefix/include/GeographicLib/"
}

fetch_sources
for library in bzip2 expat geographiclib; do
  [ -f "$(stamp "$library")" ] && continue
  echo "== Building $library for Windows (static) into $prefix"
  "build_$library"
  touch "$(stamp "$library")"
done
