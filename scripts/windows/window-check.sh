#!/bin/bash
# Starts hengbi.exe under Wine on a virtual screen, waits for its main window, acknowledges the
# rules shown at the first start and saves a screenshot of the screen.
# Usage: window-check.sh HENGBI_EXE SCREENSHOT.png   (WINEPREFIX from the environment)
set -euo pipefail
export WINEDEBUG=-all
exe=$(realpath "$1") png=$(realpath -m "$2")
rm -f "$png"

xvfb-run -a -s "-screen 0 1120x760x24" bash -euo pipefail -c '
  exe=$1 png=$2
  wait_for() {  # a window whose name holds $1, for up to $2 seconds
    for _ in $(seq "$2"); do
      xwininfo -root -tree | grep -F "$1" | awk "{print \$1; exit}" | grep . && return 0
      sleep 1
    done
    return 1
  }
  # A Wine session left by the tests before has no display: this one starts afresh on ours.
  wineserver -k 2>/dev/null || true
  wineserver -w
  wine "$exe" &
  pid=$!
  trap "kill $pid 2>/dev/null; wineserver -k 2>/dev/null || true" EXIT
  main=$(wait_for "劳动保障监察询问笔录" 90) || { echo "no main window" >&2; exit 1; }
  # The rules come first on a fresh start; their button sits at the foot of the dialog.
  if rules=$(wait_for "劳动保障监察办案程序规则" 10); then
    sleep 2
    xdotool mousemove --window "$rules" 330 570 click 1
    for _ in $(seq 10); do xwininfo -root -tree | grep -qF "劳动保障监察办案程序规则" || break; sleep 1; done
  fi
  sleep 2
  import -window root "$png"
  echo "main window $main"
' _ "$exe" "$png"
[ -s "$png" ]
