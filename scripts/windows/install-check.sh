#!/bin/bash
# Installs hengbi with its installer under Wine (silently, as an administrator's deployment
# tool would), starts the installed program, then uninstalls it: the program's files go, the
# officer's records stay.
# Usage: install-check.sh SETUP.exe   (WINEPREFIX and HOME from the environment)
set -euo pipefail
export WINEDEBUG=-all
setup=$(realpath "$1")
[ -e "$setup" ] || { echo "no $setup: scripts/windows/build.sh makes it" >&2; exit 1; }
fail() { echo "install check: $*" >&2; exit 1; }

wineserver -k 2>/dev/null || true
wineserver -w
drive=$WINEPREFIX/drive_c
dir="$drive/Program Files/衡笔"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/衡笔"
local=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/hengbi
cleanup() { rm -rf "$dir" "$local"; }
trap cleanup EXIT
cleanup

wine "$setup" /S
wineserver -w
for f in hengbi.exe Qt6Core.dll platforms/qwindows.dll Set.ini 帮助.txt uninstall.exe; do
  [ -e "$dir/$f" ] || fail "installed without $f"
done
[ -e "$menu/衡笔.lnk" ] || fail "no Start-menu entry"

# An office adapts the installed defaults; the first start copies them to the officer's folder.
printf '[biaoti]\r\nbiaoti=install check\r\n' >>"$dir/Set.ini"
png=$(mktemp --suffix=.png)
# The installer's Wine session had no display: the program starts a new one on the screen.
wineserver -k 2>/dev/null || true
wineserver -w
HENGBI_SCREENSHOT="Z:${png//\//\\}" timeout 120 xvfb-run -a -s "-screen 0 1120x760x24" \
  wine "$dir/hengbi.exe" || fail "the installed program did not run"
[ -s "$png" ] || fail "the installed program showed no window"
rm -f "$png"
cmp -s "$dir/Set.ini" "$local/Set.ini" || fail "no adapted Set.ini in $local"
[ -e "$local/帮助.txt" ] || fail "no help file in $local"
[ ! -e "$dir/BL" ] || fail "the installed program wrote beside itself"

# A record left beside the program (an earlier edition's habit) survives the uninstaller.
mkdir -p "$dir/BL" && echo record >"$dir/BL/2024.1.1-x-y.ini"
wine "$dir/uninstall.exe" /S
wineserver -w
[ -e "$dir/BL/2024.1.1-x-y.ini" ] || fail "the uninstaller removed BL"
[ -e "$local/Set.ini" ] || fail "the uninstaller removed the officer's files"
left=$(cd "$dir" && find . -path ./BL -prune -o -print | grep -v '^\.$' || true)
[ -z "$left" ] || fail "left after uninstalling: $left"
[ ! -e "$menu" ] || fail "Start-menu entry left"
echo "installed, started from Program Files with its files in $local, uninstalled"
