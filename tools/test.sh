#!/bin/bash
# Installs what is missing, builds both distributions and runs every test:
# for the i686 build (the SETUP.EXE we ship) and then the x86_64 build, the
# static checks, the unit tests and the end-to-end tests, all under Wine 10
# from the Debian 13 root (tools/wine-run.sh). One test may take
# ORLO_TEST_TIMEOUT seconds (600, and 900 in the emulated machine).
#
# On a machine whose kernel runs no 32-bit code (tools/x86-mode.sh), the
# i686 build's unit and end-to-end tests run in one bounded run of an
# emulated machine (tools/x86-vm.sh), about ten times slower; its static
# check and the x86_64 build's tests run here.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/session.sh
. tools/wine-root.sh
. tools/x86-mode.sh

# The i686 build's tests in the emulated machine, started there by the host's
# run of this script: the prefix and one Wine server for the whole run
# (a server's start with its services takes half a minute there), then CTest.
if [ "${1:-}" = --x86-in-vm ]; then
  prefix=$PWD/build/x86/wineprefix
  tools/wine-run.sh --prefix "$prefix" --warm cmd.exe /c exit 0
  echo "test.sh: the Wine prefix and its server were ready after $(cut -d' ' -f1 /proc/uptime) s"
  status=0
  ctest --preset x86 -j 2 -LE static --timeout "${ORLO_TEST_TIMEOUT:-900}" || status=$?
  timeout 60 tools/wine-run.sh --prefix "$prefix" --wineserver -k || true
  exit $status
fi

orlo_refuse_blank_path
x86_mode=$(orlo_x86_mode)
started=$(date +%s)
mkdir -p build
exec 6>build/run.lock
flock -n 6 || { echo "test.sh: another tools/test.sh or tools/demo.sh runs on this checkout" >&2; exit 1; }
tools/install-deps.sh
tools/build.sh
echo "test.sh: set-up and build took $(($(date +%s) - started)) s"
# The root stays as it is until the end (tools/install-deps.sh waits).
exec 7<"$ORLO_WINE_ROOT_LOCK"
flock -s 7

orlo_ensure_display
finish() {
  for preset in x86 x64; do
    tools/wine-run.sh --prefix "$PWD/build/$preset/wineprefix" --wineserver -k 2>/dev/null || true
  done
  orlo_end_display
}
trap finish EXIT
timeout=()
[ -z "${ORLO_TEST_TIMEOUT:-}" ] || timeout=(--timeout "$ORLO_TEST_TIMEOUT")

status=0
if [ "$x86_mode" = vm ]; then
  echo "test.sh: this machine's kernel runs no 32-bit code: the x86 tests run in an emulated machine, about ten times slower (15 to 30 minutes)"
  orlo_child ctest --preset x86 -L static || status=1
  rc=0
  orlo_child tools/x86-vm.sh tools/test.sh --x86-in-vm || rc=$?
  if [ $rc -eq 124 ]; then
    echo "test.sh: the x86 tests that CTest had started and not finished then:$(awk '
      /^ *Start +[0-9]+: /  { sub(/^ *Start +[0-9]+: /, ""); running[$1] = 1 }
      / Test +#[0-9]+: /    { sub(/^.* Test +#[0-9]+: /, ""); delete running[$1] }
      END { for (t in running) printf " %s", t }' build/vm/console.log)"
  fi
  [ $rc -eq 0 ] || status=1
else
  orlo_child ctest --preset x86 -j 2 "${timeout[@]}" || status=1
fi
orlo_child ctest --preset x64 -j 2 "${timeout[@]}" || status=1
exit $status
