#!/bin/bash
# Starts hengbi.exe under Wine on a virtual screen, waits for its main window, acknowledges the
# rules shown at the first start and saves a screenshot of the screen.
# Usage: window-check.sh HENGBI_EXE SCREENSHOT.png   (WINEPREFIX from the environment)
set -euo pipefail
export WINEDEBUG=-all
exe=$(realpath "$1") png=$(realpath -m "$2")
rm -f "$png"

xvfb-run -a -s "-screen 0 1120x760x24 -noreset" bash -euo pipefail -c '
  exe=$1 png=$2
  . "$3"
  start_hengbi "$exe" || { echo "no main window" >&2; exit 1; }
  sleep 2
  import -window root "$png"
  echo "main window $main"
' _ "$exe" "$png" "$(dirname "$0")/session.sh"
[ -s "$png" ]
