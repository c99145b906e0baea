#!/bin/bash
# Installs what is missing, builds both distributions and runs every test:
# the static checks of both builds, then the unit and end-to-end tests of the
# x86_64 build under Wine (this machine cannot run 32-bit programs).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh

. tools/display.sh
orlo_ensure_display
finish() {
  WINEPREFIX=$PWD/build/x64/wineprefix wineserver -k 2>/dev/null || true
  orlo_end_display
}
trap finish EXIT

status=0
ctest --preset x86 || status=1
ctest --preset x64 -j 2 || status=1
exit $status
