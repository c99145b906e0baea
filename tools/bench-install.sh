#!/bin/bash
# Install-phase benchmark: SETUP.EXE from OK in Install Directory to the
# Create Application Group question, for the demonstration payload and for
# ten files of 64 MiB in all, against the floor program of ours (the required
# work per 4096-byte chunk and nothing else), Wine's xcopy and the host's cp,
# all in one run. Prints times and ratios, asserts nothing.
#
#   tools/bench-install.sh [ROUNDS]
#
# ORLO_BUILD_DIR names an existing x64 build to use instead of building
# build/x64 (its wineprefix is used).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
if [ -n "${ORLO_BUILD_DIR:-}" ]; then
  build=$ORLO_BUILD_DIR
else
  tools/install-deps.sh
  tools/build.sh
  build=$PWD/build/x64
fi
cmake --build "$build" --target setup orlo_payload copy_floor install_bench >/dev/null 2>&1
prefix=$build/wineprefix
win() { echo "Z:$1" | tr / '\\'; }

work=$(mktemp -d /tmp/orlo-bench-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
files="ORLO.EXE README.TXT ORLO.HLP MFC30.DLL MFCN30.DLL MSVCRT20.DLL TESK.FON TESKW.FON TESKDT.FON TESKDB.FON"
mkdir -p "$work/demo" "$work/large" "$work/dest"
cp "$build"/dist/* "$work/demo/"
cp "$build/dist/SETUP.EXE" "$work/large/"
for f in $files; do
  head -c $((64 * 1024 * 1024 / 10)) /dev/urandom >"$work/large/$f"
done

tools/wine-run.sh --prefix "$prefix" "$build/tools/install_bench.exe" \
  "$(win "$work/demo")" "$(win "$work/large")" "$(win "$build/tools/copy_floor.exe")" \
  "$(win "$work/dest")" "$rounds" | tee "$work/out.txt" | grep -v "for the script"

# The host's cp of the same files, median of the same number of rounds.
time_cp() {
  local src=$1 best=()
  for _ in $(seq 1 "$rounds"); do
    rm -rf "$work/cp"
    mkdir -p "$work/cp"
    local t0 t1
    t0=$(date +%s%N)
    (cd "$src" && cp $files "$work/cp/")
    t1=$(date +%s%N)
    best+=($(((t1 - t0) / 1000)))
  done
  printf '%s\n' "${best[@]}" | sort -n | sed -n "$(((rounds + 1) / 2))p"
}
floors=($(sed -n 's/.*floor ms for the script: //p' "$work/out.txt"))
i=0
for payload in demo large; do
  us=$(time_cp "$work/$payload")
  awk -v us="$us" -v floor="${floors[$i]}" -v p="$payload" 'BEGIN {
    printf "host cp, %s payload: %.1f ms; floor / cp: %.1fx\n", p, us / 1000, floor / (us / 1000) }'
  i=$((i + 1))
done
