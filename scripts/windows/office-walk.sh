#!/bin/bash
# hengbi.exe under Wine on a virtual screen, with our own automation server registered as Word:
# a template opens through the menu and its dialog, and "保存(笔录及模板)" goes through Word.
# Usage: office-walk.sh HENGBI_EXE FAKE_AUTOMATION_DLL SCREENSHOT.png  (WINEPREFIX from the
# environment). Keys and clicks are X input events, as an officer's.
set -euo pipefail
export WINEDEBUG=-all
exe=$(realpath "$1") dll=$(realpath "$2") png=$(realpath -m "$3")
work=$(mktemp -d)
clsid='{4842B0E1-0000-4000-8000-000000000001}'
classes='HKLM\Software\Classes' apppaths='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Winword.exe'
cleanup() {
  wine reg delete "$classes\\Word.Application" /f >/dev/null 2>&1 || true
  wine reg delete "$classes\\CLSID\\$clsid" /f >/dev/null 2>&1 || true
  wine reg delete "$apppaths" /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
wine reg add "$classes\\Word.Application\\CLSID" /ve /d "$clsid" /f >/dev/null
wine reg add "$classes\\CLSID\\$clsid\\InprocServer32" /ve /d "$(winepath -w "$dll")" /f >/dev/null
wine reg add "$classes\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null
wine reg add "$apppaths" /v Path /d 'C:\Program Files\Microsoft Office\Office16' /f >/dev/null
mkdir -p "$work/home/BL"
/usr/bin/python3 - "$work/home/BL/walk.ini" <<'PY'
import sys
keys = {1: "2026", 2: "9", 3: "15", 4: "9", 5: "05", 6: "10", 7: "40", 10: "张三",
        16: "某公司", 23: "问：你在哪里工作？", 24: "答：在某公司。"}
text = "[set]\r\n" + "".join(f"num{k}={v}\r\n" for k, v in keys.items())
open(sys.argv[1], "wb").write(text.encode("gbk"))
PY
HENGBI_HOME=$(winepath -w "$work/home") HB_FAKE_OFFICE_LOG=$(winepath -w "$work/calls.log")
export HENGBI_HOME HB_FAKE_OFFICE_LOG
template=$(winepath -w "$work/home/BL/walk.ini")
wine "$exe" seed-home "$HENGBI_HOME"

xvfb-run -a -s "-screen 0 1120x760x24 -noreset" bash -euo pipefail -c '
  exe=$1 png=$2 template=$3
  . "$4"
  menu() {  # item $2 of the first menu "文件"
    xdotool mousemove --window "$1" 22 11 click 1
    sleep 1
    for _ in $(seq "$2"); do xdotool key Down; done
    xdotool key Return
  }
  start_hengbi "$exe" || { import -window root "$png"; echo "no main window" >&2; exit 1; }
  sleep 2
  menu "$main" 2
  sleep 3
  xdotool type --delay 30 "$template"
  xdotool key Return
  sleep 3
  import -window root "$png"
  menu "$main" 3
  # The preview question after the save: no.
  sleep 8
  import -window root "${png%.png}-saved.png"
  xdotool key Escape
  sleep 2
' _ "$exe" "$png" "$template" "$(dirname "$0")/session.sh"
grep -q '^Document.SaveAs(.*\\BL\\2026.9.15-某公司-张三.doc, 0)$' "$work/calls.log" || {
  echo "no save through Word:" >&2; cat "$work/calls.log" >&2 2>/dev/null; exit 1; }
grep -qxF 'Application.Selection.TypeText(问：你在哪里工作？\r\n)' "$work/calls.log" || {
  echo "the question was not typed:" >&2; grep TypeText "$work/calls.log" >&2; exit 1; }
echo "saved through Word: $(grep -c . "$work/calls.log") calls"
