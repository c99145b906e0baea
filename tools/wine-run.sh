#!/bin/bash
# Runs a Windows program of ours under Wine for CTest (the cross-compiling
# emulator): a Wine prefix in the build tree, made once; Xvfb when there is no
# display; the program's output collected through a file, because Wine's
# helper processes inherit our stdout and would keep a pipe open.
#
#   wine-run.sh --prefix DIR program.exe [args...]
set -u
if [ "${1:-}" = "--prefix" ]; then
  prefix=$2
  shift 2
else
  prefix=${WINEPREFIX:-$PWD/wineprefix}
fi
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}

start_xvfb() {
  local n=${ORLO_XVFB_DISPLAY:-91}
  export DISPLAY=:$n
  exec 8>"/tmp/.orlo-xvfb-$n.lock"
  flock 8
  if ! [ -S "/tmp/.X11-unix/X$n" ]; then
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
    for _ in $(seq 1 100); do
      [ -S "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
  fi
  flock -u 8
  exec 8>&-
}
[ -n "${DISPLAY:-}" ] || start_xvfb

# Make the prefix once; concurrent tests wait for the first one.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if ! [ -f "$prefix/system.reg" ]; then
  wineboot -i >"$prefix.boot.log" 2>&1 < /dev/null
  # Every program of the prefix runs on one virtual desktop: Wine then draws
  # captions and frames itself, and a closing window does not wait for an X
  # window manager that is not there (2 s a window without it).
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$prefix.boot.log" 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$prefix.boot.log" 2>&1
  wineserver -w
fi
flock -u 9
exec 9>&-

out=$(mktemp /tmp/orlo-wine-run.XXXXXX)
wine "$@" >"$out" 2>&1 < /dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
