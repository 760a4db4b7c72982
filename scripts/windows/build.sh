#!/bin/bash
# Builds the Windows edition into build-windows/ with the cross Qt (built on first use, then
# cached): hengbi.exe with its DLLs, Qt's plugins and translations, the default Set.ini and
# help files, all in build-windows/ itself, and the installer hengbi-<version>-setup.exe.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-windows
triplet=x86_64-w64-mingw32

# shellcheck source=../packages.sh
. "$root/scripts/packages.sh"
# shellcheck disable=SC2086
hb_ensure_packages $HB_WINDOWS_PACKAGES
prefixes=$("$here/build-qt.sh" | tail -2)
qt_prefix=$(sed -n 's/^qt: //p' <<<"$prefixes")
sodium_prefix=$(sed -n 's/^sodium: //p' <<<"$prefixes")

if [ ! -e "$build/build.ninja" ]; then
  "$qt_prefix/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DHB_SODIUM_PREFIX="$sodium_prefix" >/dev/null
fi
nice cmake --build "$build" --parallel "${HB_WINDOWS_JOBS:-2}"
cmake --install "$build" --prefix "$build" >/dev/null
# Debug sections make up two thirds of the DLLs; nothing reads them on an officer's PC.
mapfile -t installed < <(sed 's|/\./|/|' "$build/install_manifest.txt")
for f in "${installed[@]}"; do
  case $f in *.dll | *.exe) $triplet-strip --strip-unneeded "$f" ;; esac
done

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all HOME=$build/wine-home
# Wine makes its prefix on first use; done once here, the tests do not race to make it.
[ -e "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
# The default Set.ini and help files as the program itself writes them (GBK, CR LF).
defaults=(Set.ini 帮助.txt 市镇县乡村劳动保障监察员联系方式.txt)
(cd "$build" && rm -f "${defaults[@]}")
wine "$build/hengbi.exe" seed-home "$(winepath -w "$build")" >/dev/null 2>&1
for f in "${defaults[@]}"; do
  [ -s "$build/$f" ] || { echo "hengbi.exe seed-home wrote no $f" >&2; exit 1; }
done

# The installer's file lists: what was installed above, and the defaults, which an update
# leaves as an office adapted them.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
lists=$build/installer
mkdir -p "$lists"
# shellcheck disable=SC2016 # $INSTDIR is NSIS's
{
  for f in "${installed[@]}"; do
    rel=${f#"$build"/}
    dir=$(dirname "$rel")
    [ "$dir" = . ] && dir= || dir=\\${dir//\//\\}
    printf 'SetOutPath "$INSTDIR%s"\nFile "%s"\n' "$dir" "$f"
  done
  printf 'SetOutPath "$INSTDIR"\nSetOverwrite off\n'
  for f in "${defaults[@]}"; do printf 'File "%s/%s"\n' "$build" "$f"; done
  printf 'SetOverwrite on\n'
} >"$lists/files.nsh"
# shellcheck disable=SC2016
{
  for f in "${installed[@]}" "${defaults[@]/#/$build/}"; do
    rel=${f#"$build"/}
    printf 'Delete "$INSTDIR\\%s"\n' "${rel//\//\\}"
  done
  for f in "${installed[@]}"; do
    rel=${f#"$build"/}
    [ "$(dirname "$rel")" = . ] || dirname "$rel"
  done | sort -ru | while read -r dir; do printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}"; done
} >"$lists/remove.nsh"
setup=$build/hengbi-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DLISTS="$lists" -DOUTFILE="$setup" \
  "$root/packaging/windows/hengbi.nsi"
echo "$setup: $(du -k "$setup" | cut -f1) KB"
