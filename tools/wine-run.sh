#!/bin/bash
# The one way our scripts and CTest start Wine: Wine 10 from the Debian 13
# root that tools/install-deps.sh makes, which runs the 32-bit (PE32) and the
# 64-bit programs alike, the 32-bit ones in WoW64 mode. The root is entered
# with the checkout and /tmp at their own paths, so a Z: path names the same
# file inside and out; the host's Xvfb is reached through /tmp/.X11-unix.
#
#   wine-run.sh [--prefix DIR] [--locale NAME] program.exe [args...]
#   wine-run.sh [--prefix DIR] --wineserver [args...]   (e.g. -k, -w)
#
# A Wine prefix is made on first use; concurrent callers wait for the first
# one. Without a display, an Xvfb is started. The program's output is
# collected through a file, because Wine's helper processes inherit our
# stdout and would keep a pipe open.
# On a machine whose kernel runs no 32-bit code, the i686 build's programs
# run in an emulated machine (tools/x86-vm.sh): with ORLO_VM_DIR set, this
# script hands its whole work to that machine, where it runs again with
# ORLO_IN_VM set, already inside the root.
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ -n "${ORLO_VM_DIR:-}" ] && [ -z "${ORLO_IN_VM:-}" ]; then
  exec "$here/x86-vm.sh" run "$here/wine-run.sh" "$@"
fi
. "$here/wine-root.sh"
checkout=$(dirname "$here")

prefix=${WINEPREFIX:-$PWD/wineprefix}
locale=${ORLO_WINE_LOCALE:-en_US.UTF-8}
server=0
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    --wineserver) server=1; shift; break ;;
    *) break ;;
  esac
done

if [ -z "${ORLO_IN_VM:-}" ] && ! wine_root_is_complete; then
  echo "wine-run.sh: no complete Wine 10 root at $ORLO_WINE_ROOT; run tools/install-deps.sh as root" >&2
  exit 125
fi

# Runs a command inside the root. The host's /dev is shared whole, so that
# every program of one Wine server sees the same /dev/shm and /dev/full.
# In the emulated machine the root is the machine's own file system.
in_root() {
  if [ -n "${ORLO_IN_VM:-}" ]; then
    (cd "$PWD" && exec env -u WINEARCH PATH=/usr/lib/wine:/usr/bin:/bin HOME=/root \
      LANG="$locale" LC_ALL="$locale" WINEPREFIX="$prefix" "$@")
    return $?
  fi
  local binds=(--bind "$checkout" "$checkout")
  case "$prefix" in
    "$checkout"/* | /tmp/*) ;;
    *) mkdir -p "$prefix" && binds+=(--bind "$prefix" "$prefix") ;;
  esac
  bwrap --bind "$ORLO_WINE_ROOT" / --dev-bind /dev /dev --proc /proc --bind /tmp /tmp \
    "${binds[@]}" --chdir "$PWD" \
    --setenv PATH /usr/lib/wine:/usr/bin:/bin --setenv HOME /root \
    --setenv LANG "$locale" --setenv LC_ALL "$locale" \
    --setenv WINEPREFIX "$prefix" --unsetenv WINEARCH "$@"
}

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}

if [ $server -eq 1 ]; then
  in_root /usr/lib/wine/wineserver "$@"
  exit $?
fi

start_xvfb() {
  local n=${ORLO_XVFB_DISPLAY:-91}
  export DISPLAY=:$n
  exec 8>"/tmp/.orlo-xvfb-$n.lock"
  flock 8
  if ! [ -S "/tmp/.X11-unix/X$n" ]; then
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
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
lock=$prefix.lock
# QEMU's 9p server grants every lock without keeping it: in the emulated
# machine the locks are files of its own.
[ -z "${ORLO_IN_VM:-}" ] || lock=/tmp/orlo-prefix$(echo "$prefix" | tr / _).lock
exec 9>"$lock"
flock 9
if ! [ -f "$prefix/system.reg" ]; then
  {
    in_root wine64 wineboot -i
    # Every program of the prefix runs on one virtual desktop: Wine then
    # draws captions and frames itself, as screenshots should show them.
    in_root wine64 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    in_root wine64 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
    in_root wineserver -w
  } >"$prefix.boot.log" 2>&1 </dev/null
fi
# Every program of a Wine server shares the display that its first program
# opened: one started with another display gets no windows and waits for
# ever. A server left running from a run on another display is stopped.
if [ "$(cat "$prefix.display" 2>/dev/null)" != "$DISPLAY" ]; then
  in_root sh -c "wineserver -k; wineserver -w" >/dev/null 2>&1
  echo "$DISPLAY" >"$prefix.display"
fi
# In the emulated machine a Wine server's start, with its services and
# devices, takes half a minute: one server per prefix stays for the
# machine's life (-p) instead of one for each program.
if [ -n "${ORLO_IN_VM:-}" ]; then
  in_root wineserver -p >/dev/null 2>&1
fi
flock -u 9
exec 9>&-

out=$(mktemp /tmp/orlo-wine-run.XXXXXX)
in_root wine64 "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
