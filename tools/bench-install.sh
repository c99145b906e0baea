#!/bin/bash
# Install-phase benchmark: SETUP.EXE from OK in Install Directory to the
# Create Application Group question, for the demonstration payload and for
# ten files of 64 MiB in all, against the floor program of ours (the required
# work per 4096-byte chunk and nothing else), Wine's xcopy and the host's cp,
# all in one run. Prints times and ratios, asserts nothing.
#
#   tools/bench-install.sh [ROUNDS]
#
# The i686 build (the one we ship) runs first, then the x86_64 build; on a
# machine whose kernel runs no 32-bit code the i686 build is left out.
# ORLO_BUILD_DIRS names existing builds to use instead of building build/x86
# and build/x64 (each one's wineprefix is used).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/x86-mode.sh
. tools/session.sh
rounds=${1:-3}
if [ -n "${ORLO_BUILD_DIRS:-}" ]; then
  builds=($ORLO_BUILD_DIRS)
else
  tools/install-deps.sh
  tools/build.sh
  builds=("$PWD/build/x86" "$PWD/build/x64")
fi
# There the i686 build would run in an emulated machine, at another speed
# than the host's cp it is compared with.
if [ "$(orlo_x86_mode)" = vm ]; then
  native=()
  for b in "${builds[@]}"; do
    if grep -q '^CMAKE_TOOLCHAIN_FILE:.*toolchain-i686' "$b/CMakeCache.txt"; then
      echo "bench-install: i686 build skipped: this machine's kernel runs no 32-bit code" \
        "(times in an emulated machine would not compare)"
    else
      native+=("$b")
    fi
  done
  builds=("${native[@]}")
  [ ${#builds[@]} -gt 0 ] || exit 0
fi
win() { echo "Z:$1" | tr / '\\'; }

# Inside the checkout, where Wine's programs see it at the same Z: path.
mkdir -p build/tmp
work=$(mktemp -d "$PWD/build/tmp/bench-install.XXXXXX")
orlo_ensure_display
trap 'rm -rf "$work"; for b in "${builds[@]}"; do tools/wine-run.sh --prefix "$b/wineprefix" --wineserver -k 2>/dev/null || true; done; orlo_end_display' EXIT
# The product's files, from the one list of them, read by the compiler as
# the programs read it (some entries name their file through a macro).
files=$(printf '#include "res/product_files.h"\nORLO_PRODUCT_FILES(ORLO_PRODUCT_FILE_NAME)\n' |
  x86_64-w64-mingw32-gcc -E -P -x c -I. - | tr -d '",')
mkdir -p "$work/large-data"
for f in $files; do
  head -c $((64 * 1024 * 1024 / 10)) /dev/urandom >"$work/large-data/$f"
done

for build in "${builds[@]}"; do
  cmake --build "$build" --target setup orlo_payload copy_floor install_bench >/dev/null 2>&1
  echo "== $(basename "$build") build"
  rm -rf "$work/demo" "$work/large" "$work/dest"
  mkdir -p "$work/demo" "$work/large" "$work/dest"
  cp "$build"/dist/* "$work/demo/"
  cp "$build/dist/SETUP.EXE" "$work/large-data"/* "$work/large/"
  tools/wine-run.sh --prefix "$build/wineprefix" "$build/tools/install_bench.exe" \
    "$(win "$work/demo")" "$(win "$work/large")" "$(win "$build/tools/copy_floor.exe")" \
    "$(win "$work/dest")" "$rounds" | tee -a "$work/out.txt" | grep -v "for the script"
done

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
# The floor times come two per build (demo, large), in the order of builds.
floors=($(sed -n 's/.*floor ms for the script: //p' "$work/out.txt"))
echo "== the host's cp"
i=0
for build in "${builds[@]}"; do
  for payload in demo large; do
    us=$(time_cp "$work/$payload")
    awk -v us="$us" -v floor="${floors[$i]}" -v p="$payload" -v b="$(basename "$build")" 'BEGIN {
      printf "host cp, %s payload: %.1f ms; %s floor / cp: %.1fx\n", p, us / 1000, b, floor / (us / 1000) }'
    i=$((i + 1))
  done
done
