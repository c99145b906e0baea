#!/bin/bash
# Start-up benchmark: SETUP.EXE until its Welcome dialog shows, against the
# smallest dialog program of ours, alternated in one run under the same Wine;
# and the size of the SETUP.EXE we ship. Prints ratios, asserts nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
export WINEPREFIX=$PWD/build/x64/wineprefix
. tools/display.sh
orlo_ensure_display
trap 'wineserver -k 2>/dev/null || true; orlo_end_display' EXIT
dist="Z:$(echo "$PWD/build/x64/dist" | tr / '\\')"
minimal="Z:$(echo "$PWD/build/x64/tools/min_dialog.exe" | tr / '\\')"
tools/wine-run.sh --prefix "$WINEPREFIX" "$PWD/build/x64/tools/startup_bench.exe" \
  "$dist" "$minimal" "${1:-15}"
size=$(stat -c %s build/x86/dist/SETUP.EXE)
awk -v s="$size" 'BEGIN { printf "i686 SETUP.EXE: %d bytes = %.2f of the 64 KiB budget\n", s, s / 65536 }'
