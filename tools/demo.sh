#!/bin/bash
# The demonstration: installs what is missing, builds both distributions and
# runs SETUP.EXE (the i686 build, the one we ship) under Wine 10.
#   Programs run on a Wine virtual desktop (tools/wine-run.sh), so that Wine
#   draws captions and frames.
#   With a display: SETUP.EXE opens for you to click through.
#   Without one (or with --driven): it runs under Xvfb, a driver clicks through every dialog like a person, and a
#   screenshot of each dialog is saved in build/screenshots/.
#   --update-docs also copies the screenshots to docs/screenshots/.
#   --x64 runs the x86_64 build instead.
#   On a machine whose kernel runs no 32-bit code (tools/x86-mode.sh), the
#   i686 build runs driven in an emulated machine (tools/x86-vm.sh); --x64
#   runs here at once, for a person who wants to click through it.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/x86-mode.sh
driven=0
update_docs=0
preset=x86
for arg in "$@"; do
  case "$arg" in
    --driven) driven=1 ;;
    --update-docs) driven=1; update_docs=1 ;;
    --x64) preset=x64 ;;
    *) echo "usage: tools/demo.sh [--driven] [--update-docs] [--x64]" >&2; exit 2 ;;
  esac
done
[ -n "${DISPLAY:-}" ] || driven=1
in_vm=0
if [ $preset = x86 ] && [ "$(orlo_x86_mode)" = vm ]; then
  in_vm=1
  driven=1
  echo "demo.sh: this machine's kernel runs no 32-bit code, so the i686 SETUP.EXE runs driven in an emulated machine: about 8 minutes the first time, 4 after (tools/demo.sh --x64 runs the x86_64 build here at once)"
fi

tools/install-deps.sh
tools/build.sh

export WINEPREFIX=$PWD/build/demo-prefix
run="tools/wine-run.sh --prefix $WINEPREFIX"
dist=$PWD/build/$preset/dist
windist="Z:${dist//\//\\}"

. tools/display.sh
orlo_ensure_display
finish() {
  $run --wineserver -k 2>/dev/null || true
  [ $in_vm -eq 0 ] || tools/x86-vm.sh stop
  orlo_end_display
}
trap finish EXIT
if [ $in_vm -eq 1 ]; then
  tools/x86-vm.sh start
  export ORLO_VM_DIR=$PWD/build/vm
fi
# A fresh start: the demonstration installs into C:\ORLO.
rm -rf "$WINEPREFIX/drive_c/ORLO"

if [ $driven -eq 0 ]; then
  echo "Starting SETUP.EXE from $dist"
  status=0
  $run "$dist/SETUP.EXE" >build/demo.log 2>&1 </dev/null || status=$?
  echo "SETUP.EXE ended with exit code $status"
  exit 0
fi

shots=$PWD/build/screenshots
rm -rf "$shots"
mkdir -p "$shots"
log=$PWD/build/demo.log
status=0
$run "$PWD/build/$preset/tools/demo_driver.exe" "$windist" "Z:${shots//\//\\}" \
  >"$log" 2>&1 </dev/null || status=$?
cat "$log"
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Screenshots: $(ls "$shots" | tr '\n' ' ')"
if [ $update_docs -eq 1 ] && [ $status -eq 0 ]; then
  mkdir -p docs/screenshots
  cp "$shots"/*.png docs/screenshots/
  echo "Copied to docs/screenshots/"
fi
exit $status
