#!/bin/bash
# Installs what is missing, builds both distributions and runs every test:
# for the i686 build (the SETUP.EXE we ship) and then the x86_64 build, the
# static checks, the unit tests and the end-to-end tests, all under Wine 10
# from the Debian 13 root (tools/wine-run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
tools/install-deps.sh
tools/build.sh
echo "test.sh: set-up and build took $(($(date +%s) - started)) s"

. tools/display.sh
orlo_ensure_display
finish() {
  for preset in x86 x64; do
    tools/wine-run.sh --prefix "$PWD/build/$preset/wineprefix" --wineserver -k 2>/dev/null || true
  done
  orlo_end_display
}
trap finish EXIT

status=0
for preset in x86 x64; do
  ctest --preset "$preset" -j 2 || status=1
done
exit $status
