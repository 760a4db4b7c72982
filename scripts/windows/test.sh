#!/bin/bash
# Builds the Windows edition with the cross Qt (built on first use, then cached) into
# build-windows/ and runs its tests under Wine through CTest.
# Usage: test.sh [ctest arguments...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-windows

prefixes=$("$here/build-qt.sh" | tail -2)
qt_prefix=$(sed -n 's/^qt: //p' <<<"$prefixes")
sodium_prefix=$(sed -n 's/^sodium: //p' <<<"$prefixes")

if [ ! -e "$build/build.ninja" ]; then
  "$qt_prefix/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DHB_SODIUM_PREFIX="$sodium_prefix" >/dev/null
fi
nice cmake --build "$build" --parallel "${HB_WINDOWS_JOBS:-2}"

# Wine makes its prefix on first use; done once here, the tests do not race to make it.
if [ ! -e "$build/wineprefix/system.reg" ]; then
  HOME=$build/wine-home WINEPREFIX=$build/wineprefix WINEDEBUG=-all wineboot -i >/dev/null 2>&1
fi
ctest --test-dir "$build" --output-on-failure --timeout 300 "$@"
