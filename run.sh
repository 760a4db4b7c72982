#!/usr/bin/env bash
# Builds and starts 衡笔 on a sample program directory in build/. Without a display it runs
# under Xvfb, writes build/screenshot.png of the main window and exits.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
hb_ensure_packages $HB_BUILD_PACKAGES $HB_RUN_PACKAGES
hb_build

# The portable layout: Set.ini and the help files beside the binary.
./build/hengbi seed-home build >/dev/null
export HENGBI_SYSTEM_DIR="$PWD/build/system" HENGBI_REGISTRY_DIR="$PWD/build/registry"
if [ -n "${DISPLAY:-}" ]; then
  exec ./build/hengbi
fi
rm -f build/screenshot.png
HENGBI_SCREENSHOT="$PWD/build/screenshot.png" xvfb-run -a -s "-screen 0 1280x800x24" ./build/hengbi
test -s build/screenshot.png
echo "Screenshot: build/screenshot.png"
