#!/bin/bash
# Puts what a MinGW-built Qt program needs to start beside it: the compiler's runtime DLLs
# (posix-thread variant), the named Qt DLLs and the windows platform plugin.
# Usage: deploy-runtime.sh QT_PREFIX DIR Qt6Core Qt6Gui ...
set -euo pipefail
qt_prefix=$1 dir=$2
shift 2
triplet=x86_64-w64-mingw32

runtime_dll() {
  local found
  found=$($triplet-g++-posix -print-file-name="$1")
  # The compiler prints the bare name when it has no such file.
  [[ $found = /* && -e $found ]] || { echo "no $1 beside $triplet-g++-posix" >&2; return 1; }
  echo "$found"
}

for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp -u "$(runtime_dll "$dll")" "$dir/"
done
for lib in "$@"; do
  cp -u "$qt_prefix/bin/$lib.dll" "$dir/"
done
mkdir -p "$dir/platforms"
cp -u "$qt_prefix/plugins/platforms/qwindows.dll" "$dir/platforms/"
