#!/bin/bash
# Builds the small Widgets program in smoke/ with the cross Qt, puts the runtime DLLs beside it
# and starts it under Wine on a virtual screen. Leaves a screenshot in the build folder.
# Usage: smoke.sh [build-dir]   (default: build-windows-smoke in the work tree)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath -m "${1:-$root/build-windows-smoke}")

prefixes=$("$here/build-qt.sh" | tail -2)
qt_prefix=$(sed -n 's/^qt: //p' <<<"$prefixes")

"$qt_prefix/bin/qt-cmake" -S "$here/smoke" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build"
"$here/deploy-runtime.sh" "$qt_prefix" "$build" Qt6Core Qt6Gui Qt6Widgets

# Wine keeps its prefix beside the build, not in the user's home.
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
report=$build/smoke-report.txt
rm -f "$report" "$build/smoke.png"
xvfb-run -a -s "-screen 0 640x240x24" bash -c '
  wineboot -i >/dev/null 2>&1 || true
  wine "$1/smoke.exe" "$(winepath -w "$2")" 1000 &
  pid=$!
  for _ in $(seq 120); do [ -s "$2" ] && break; sleep 1; done
  import -window root "$1/smoke.png"
  wait $pid
' _ "$build" "$report"
cat "$report"
grep -q '^platform=windows$' "$report"
grep -q '^visible=1$' "$report"
echo "screenshot: $build/smoke.png"
