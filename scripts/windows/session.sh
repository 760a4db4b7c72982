# Sourced inside the virtual screen's shell by the walks of hengbi.exe.

wait_for() {  # a window whose name holds $1, for up to $2 seconds
  for _ in $(seq "$2"); do
    xwininfo -root -tree | grep -F "$1" | awk '{print $1; exit}' | grep . && return 0
    sleep 1
  done
  return 1
}

# Starts the program ($1) on a Wine session of its own, waits for its main window (its id in
# $main) and acknowledges the rules shown at a fresh start; the program ends with the shell.
start_hengbi() {
  # A Wine session left by the tests before has no display: this one starts afresh on ours.
  wineserver -k 2>/dev/null || true
  wineserver -w
  wine "$1" &
  trap "kill $! 2>/dev/null; wineserver -k 2>/dev/null || true" EXIT
  main=$(wait_for "劳动保障监察询问笔录" 90) || return 1
  # The rules come first on a fresh start; their button sits at the foot of the dialog.
  if rules=$(wait_for "劳动保障监察办案程序规则" 10); then
    sleep 2
    xdotool mousemove --window "$rules" 330 570 click 1
    for _ in $(seq 10); do xwininfo -root -tree | grep -qF "劳动保障监察办案程序规则" || break; sleep 1; done
  fi
}
