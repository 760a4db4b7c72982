#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
hb_ensure_packages $HB_BUILD_PACKAGES $HB_RUN_PACKAGES $HB_TEST_PACKAGES
hb_build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 600 "$@"
