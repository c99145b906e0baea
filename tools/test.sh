#!/bin/bash
# Installs what is missing, builds both distributions and runs every test:
# for the i686 build (the SETUP.EXE we ship) and then the x86_64 build, the
# static checks, the unit tests and the end-to-end tests, all under Wine 10
# from the Debian 13 root (tools/wine-run.sh).
#
# On a machine whose kernel runs no 32-bit code (tools/x86-mode.sh), the
# i686 build's tests run in an emulated machine (tools/x86-vm.sh), about ten
# times slower; its static check and the x86_64 build's tests run here.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/x86-mode.sh
started=$(date +%s)
x86_mode=$(orlo_x86_mode)
tools/install-deps.sh
tools/build.sh
echo "test.sh: set-up and build took $(($(date +%s) - started)) s"

. tools/display.sh
orlo_ensure_display
vm_dir=""
finish() {
  for preset in x86 x64; do
    ORLO_VM_DIR=$([ $preset = x86 ] && echo "$vm_dir") \
      tools/wine-run.sh --prefix "$PWD/build/$preset/wineprefix" --wineserver -k 2>/dev/null || true
  done
  [ -z "$vm_dir" ] || tools/x86-vm.sh stop
  orlo_end_display
}
trap finish EXIT

status=0
if [ "$x86_mode" = vm ]; then
  echo "test.sh: this machine's kernel runs no 32-bit code: the x86 tests run in an emulated machine, about ten times slower (15 to 30 minutes)"
  step=$(date +%s)
  tools/x86-vm.sh start
  vm_dir=$PWD/build/vm
  # The prefix, made in the machine on first use (two to seven minutes),
  # and its Wine server, which stays: before the tests, whose time-outs
  # should not pay for them.
  ORLO_VM_DIR=$vm_dir tools/wine-run.sh --prefix "$PWD/build/x86/wineprefix" cmd.exe /c exit 0
  echo "test.sh: the emulated machine and its Wine prefix took $(($(date +%s) - step)) s"
  # The presets' time-out, 600 s, grown like the tests' own waits.
  ORLO_VM_DIR=$vm_dir ctest --preset x86 -j 2 --timeout 6000 || status=1
else
  ctest --preset x86 -j 2 || status=1
fi
ctest --preset x64 -j 2 || status=1
exit $status
