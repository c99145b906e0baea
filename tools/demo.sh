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
#   i686 build runs driven in one run of an emulated machine
#   (tools/x86-vm.sh); --x64 runs here at once, for a person who wants to
#   click through it.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/session.sh
. tools/x86-mode.sh
orlo_refuse_blank_path
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
x86_mode=$(orlo_x86_mode)
in_vm=()
if [ $preset = x86 ] && [ "$x86_mode" = vm ]; then
  in_vm=(tools/x86-vm.sh)
  driven=1
  echo "demo.sh: this machine's kernel runs no 32-bit code, so the i686 SETUP.EXE runs driven in an emulated machine: about 5 minutes the first time, 1 to 2 after (tools/demo.sh --x64 runs the x86_64 build here at once)"
fi
mkdir -p build
exec 6>build/run.lock
flock -n 6 || { echo "demo.sh: another tools/test.sh or tools/demo.sh runs on this checkout" >&2; exit 1; }

tools/install-deps.sh
tools/build.sh

prefix=$PWD/build/demo-prefix
run() { orlo_child "${in_vm[@]}" tools/wine-run.sh --prefix "$prefix" ${in_vm:+--warm} "$@"; }
dist=$PWD/build/$preset/dist
windist="Z:${dist//\//\\}"

orlo_ensure_display
finish() {
  tools/wine-run.sh --prefix "$prefix" --wineserver -k 2>/dev/null || true
  orlo_end_display
}
trap finish EXIT
# A fresh start: the demonstration installs into C:\ORLO.
rm -rf "$prefix/drive_c/ORLO"

if [ $driven -eq 0 ]; then
  echo "Starting SETUP.EXE from $dist"
  status=0
  run "$dist/SETUP.EXE" >build/demo.log 2>&1 </dev/null || status=$?
  echo "SETUP.EXE ended with exit code $status"
  exit 0
fi

shots=$PWD/build/screenshots
rm -rf "$shots"
mkdir -p "$shots"
log=$PWD/build/demo.log
status=0
run "$PWD/build/$preset/tools/demo_driver.exe" "$windist" "Z:${shots//\//\\}" \
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
