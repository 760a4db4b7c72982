#!/bin/bash
# Builds Qt and libsodium for 64-bit Windows (MinGW-w64) from Debian's own sources, once per
# machine: the results are kept in ~/.cache/hengbi keyed by version, and a later run that finds
# them returns at once. Prints the two install prefixes on its last lines.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=../packages.sh
. "$root/scripts/packages.sh"

QT_VERSION=6.4.2
SODIUM_VERSION=1.0.18
cache=${HB_WINDOWS_CACHE:-$HOME/.cache/hengbi}
qt_prefix=$cache/mingw-qt-$QT_VERSION
sodium_prefix=$cache/mingw-sodium-$SODIUM_VERSION
work=$cache/src
jobs=${HB_WINDOWS_JOBS:-2}
triplet=x86_64-w64-mingw32

# A prefix counts only once its install finished; a build stopped half-way starts over.
done_mark=.hengbi-complete

report() { echo "qt: $qt_prefix"; echo "sodium: $sodium_prefix"; }
if [ -e "$qt_prefix/$done_mark" ] && [ -e "$sodium_prefix/$done_mark" ]; then
  report
  exit 0
fi

# Another build on the machine may hold apt's lock for a while.
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  hb_ensure_packages $HB_WINDOWS_PACKAGES && break
  [ $attempt -lt 10 ] || exit 1
  sleep 30
done

# apt-get source needs a deb-src entry; take the mirror the machine already uses.
ensure_deb_src() {
  if apt-get source --print-uris -qq qt6-base >/dev/null 2>&1; then return 0; fi
  local uri
  uri=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $3 ~ /^bookworm$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  cat >/etc/apt/sources.list.d/hengbi-src.sources <<SRC
Types: deb-src
URIs: $uri
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq
}

# Unpacks a Debian source package into $work once; echoes its directory.
fetch_source() {
  local pkg=$1 version=$2 dir
  mkdir -p "$work"
  dir=$(find "$work" -maxdepth 1 -type d -name "$pkg-$version*" | head -1)
  if [ -z "$dir" ]; then
    (cd "$work" && apt-get source -qq "$pkg" >&2)
    dir=$(find "$work" -maxdepth 1 -type d -name "$pkg-$version*" | head -1)
  fi
  [ -n "$dir" ] || { echo "no source of $pkg $version" >&2; return 1; }
  echo "$dir"
}

# The build folder stays in the cache: a build cut short (a stopped session, a full disk)
# resumes where it stopped on the next run instead of starting over.
build_qt() {
  local src build=$work/qt-build
  src=$(fetch_source qt6-base "$QT_VERSION")
  mkdir -p "$qt_prefix"
  # The prefix keeps its own copy of the toolchain: qt-cmake chains it, and the tree may move.
  cp "$root/cmake/mingw-w64-x86_64.cmake" "$qt_prefix/mingw-w64-x86_64.cmake"
  if [ ! -e "$build/build.ninja" ]; then
    rm -rf "$build"
    mkdir -p "$build"
    local ccache=()
    command -v ccache >/dev/null && ccache=(-ccache)
    # Only what the program links: Core, Gui, Widgets, Test and the windows platform plugin.
    # Debian's source has no wintab.h, hence no tablet events. Fonts come from DirectWrite/GDI.
    # The Direct2D platform plugin would compile the windows plugin a second time; without it
    # Qt 6.4 leaves out the DirectWrite 3 font database the windows plugin still calls.
    (cd "$build" && nice -n 19 "$src/configure" -prefix "$qt_prefix" -release -xplatform win32-g++ \
      -qt-host-path /usr "${ccache[@]}" \
      -nomake examples -nomake tests \
      -no-feature-tabletevent -no-feature-direct2d -no-feature-directwrite3 -no-opengl -no-dbus -no-icu \
      -no-feature-network -no-feature-sql -no-feature-printsupport -no-feature-concurrent \
      -no-feature-xml -no-feature-jpeg -no-feature-gif -no-feature-freetype \
      -no-feature-textmarkdownreader -no-feature-textmarkdownwriter \
      -qt-zlib -qt-pcre -qt-libpng -qt-harfbuzz \
      -- -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/mingw-w64-x86_64.cmake" \
      -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
  fi
  nice -n 19 cmake --build "$build" --parallel "$jobs"
  cmake --install "$build"
  touch "$qt_prefix/$done_mark"
}

build_sodium() {
  local src
  src=$(fetch_source libsodium "$SODIUM_VERSION")
  rm -rf "$sodium_prefix"
  (
    cd "$src"
    [ -x configure ] || autoreconf -fi
    [ ! -e Makefile ] || make distclean >/dev/null 2>&1 || true
    ./configure --host=$triplet --prefix="$sodium_prefix" --enable-static --enable-shared \
      --disable-dependency-tracking CC=$triplet-gcc-posix >/dev/null
    nice -n 19 make -j"$jobs" >/dev/null
    make install >/dev/null
  )
  touch "$sodium_prefix/$done_mark"
}

ensure_deb_src
timed() {
  local start=$SECONDS
  "$@"
  echo "$1: $((SECONDS - start)) s" >&2
}
[ -e "$sodium_prefix/$done_mark" ] || timed build_sodium
[ -e "$qt_prefix/$done_mark" ] || timed build_qt
report
