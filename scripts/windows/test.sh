#!/bin/bash
# Builds the Windows edition and its installer (build.sh) and runs its tests under Wine
# through CTest.
# Usage: test.sh [ctest arguments...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
"$here/build.sh"
ctest --test-dir "$here/../../build-windows" --output-on-failure --timeout 300 "$@"
