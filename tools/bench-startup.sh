#!/bin/bash
# Start-up benchmark: SETUP.EXE until its Welcome dialog shows, against the
# smallest dialog program of ours, alternated in one run under the same Wine,
# for the i686 build and then the x86_64 build;
# and the size of the SETUP.EXE we ship. Prints ratios, asserts nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
. tools/session.sh
. tools/x86-mode.sh
# The i686 build (the one we ship) first, then the x86_64 build; on a machine
# whose kernel runs no 32-bit code the i686 build would run in an emulated
# machine, and its times would not compare, so it is left out there.
arches=(x86 x64)
if [ "$(orlo_x86_mode)" = vm ]; then
  echo "bench-startup: i686 build skipped: this machine's kernel runs no 32-bit code" \
    "(times in an emulated machine would not compare)"
  arches=(x64)
fi
orlo_ensure_display
trap 'for a in x86 x64; do tools/wine-run.sh --prefix "$PWD/build/$a/wineprefix" --wineserver -k 2>/dev/null || true; done; orlo_end_display' EXIT
for arch in "${arches[@]}"; do
  build=$PWD/build/$arch
  echo "== $arch build"
  dist="Z:$(echo "$build/dist" | tr / '\\')"
  minimal="Z:$(echo "$build/tools/min_dialog.exe" | tr / '\\')"
  tools/wine-run.sh --prefix "$build/wineprefix" "$build/tools/startup_bench.exe" \
    "$dist" "$minimal" "${1:-15}"
done
size=$(stat -c %s build/x86/dist/SETUP.EXE)
# The budget lives in the static check.
budget=$(sed -n 's/^readonly max_size=\([0-9]*\)$/\1/p' tools/check-static.sh)
awk -v s="$size" -v b="$budget" \
  'BEGIN { printf "i686 SETUP.EXE: %d bytes = %.2f of its %d-byte budget\n", s, s / b, b }'
