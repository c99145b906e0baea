#!/bin/bash
# The one way our scripts and CTest start Wine: Wine 10 from the Debian 13
# root that tools/install-deps.sh makes, which runs the 32-bit (PE32) and the
# 64-bit programs alike, the 32-bit ones in WoW64 mode.
#
#   wine-run.sh [--prefix DIR] [--locale NAME] [--warm] program.exe [args...]
#   wine-run.sh [--prefix DIR] --wineserver [args...]   (e.g. -k, -w)
#
# --warm first starts a Wine server that stays (-p) and brings up its
# services and desktop: in the emulated machine that takes half a minute,
# and two programs that start at once otherwise race to make the desktop.
#
# The root is entered read-only, with the checkout at its own path, so a Z:
# path names the same file inside and out. What Wine writes outside its
# prefix (its server's socket, caches) goes to the checkout's build/tmp,
# which is /tmp inside; in the emulated machine of tools/x86-vm.sh
# (ORLO_IN_VM set) the root is the machine's own, read-only file system and
# /tmp its memory.
#
# A prefix is made on first use and used only once it is complete;
# concurrent callers wait for the first one. A display must be given
# (DISPLAY): tools/test.sh and tools/demo.sh start an Xvfb.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-root.sh"
checkout=$(dirname "$here")

prefix=${WINEPREFIX:-$PWD/wineprefix}
locale=${ORLO_WINE_LOCALE:-en_US.UTF-8}
server=0
warm=0
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    --warm) warm=1; shift ;;
    --wineserver) server=1; shift; break ;;
    *) break ;;
  esac
done

die() {
  echo "wine-run.sh: $*" >&2
  exit 125
}
tmp=$checkout/build/tmp
fonts=()
if [ -n "${ORLO_IN_VM:-}" ]; then
  tmp=/tmp
else
  wine_root_is_complete || die "no complete Wine 10 root at $ORLO_WINE_ROOT; run tools/install-deps.sh as root"
  # Held while Wine runs from the root: tools/install-deps.sh does not
  # remake a root in use.
  exec 7<"$ORLO_WINE_ROOT_LOCK" || die "no $ORLO_WINE_ROOT_LOCK; run tools/install-deps.sh as root"
  flock -s -n 7 || die "the Wine 10 root is being remade by tools/install-deps.sh"
fi
mkdir -p "$tmp" "$(dirname "$prefix")" || die "cannot make $tmp"
# Fontconfig makes the <glob> patterns of its configuration absolute with
# getcwd(). A program that starts in a directory opened by a Wine server of
# another sandbox (each run here is a mount namespace of its own; --warm's
# server outlives its run) gets "(unreachable)" there, and fontconfig drops
# its whole configuration ("out of memory"). The same configuration with the
# patterns absolute: "/*.dpkg-tmp" matches the same files everywhere. (The
# emulated machine has one namespace.)
if [ -z "${ORLO_IN_VM:-}" ]; then
  sed 's|<glob>\*|<glob>/*|' "$ORLO_WINE_ROOT/etc/fonts/fonts.conf" >"$tmp/fonts.conf.$$" &&
    mv -f "$tmp/fonts.conf.$$" "$tmp/fonts.conf" || die "cannot write $tmp/fonts.conf"
  fonts=(FONTCONFIG_FILE=/tmp/fonts.conf)
fi

# Runs a command inside the root. The host's /dev is shared whole, so that
# every program of one Wine server sees the same /dev/shm and /dev/full.
in_root() {
  local env=(PATH=/usr/lib/wine:/usr/bin:/bin HOME=/tmp LANG="$locale" LC_ALL="$locale"
    WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}" "${fonts[@]}"
    WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d}")
  if [ -n "${ORLO_IN_VM:-}" ]; then
    env -u WINEARCH "${env[@]}" "$@"
    return $?
  fi
  # The root's top is a directory of this sandbox's own, holding the root's
  # folders read-only, so that the checkout (under /root, say) has a place.
  local binds=() entry top=${checkout#/}
  for entry in "$ORLO_WINE_ROOT"/*; do
    case "${entry##*/}" in
      dev | proc | tmp | root | home | "${top%%/*}") ;;
      *) [ -L "$entry" ] && binds+=(--symlink "$(readlink "$entry")" "/${entry##*/}") ||
        binds+=(--ro-bind "$entry" "/${entry##*/}") ;;
    esac
  done
  # /tmp before the checkout and the prefix: bound later, a checkout that
  # lies under /tmp would be hidden by it.
  binds+=(--bind "$tmp" /tmp --bind-try /tmp/.X11-unix /tmp/.X11-unix --bind "$checkout" "$checkout")
  case "$prefix" in
    "$checkout"/*) ;;
    *) mkdir -p "$prefix" && binds+=(--bind "$prefix" "$prefix") ;;
  esac
  bwrap --tmpfs / "${binds[@]}" --dev-bind /dev /dev --proc /proc \
    --chdir "$PWD" env -u WINEARCH "${env[@]}" "$@"
}

# A server is ended or waited for as it is (one kept for many programs is
# --warm's, once the prefix is made).
if [ $server -eq 1 ]; then
  in_root wineserver "$@"
  exit $?
fi
[ -n "${DISPLAY:-}" ] || die "no display (DISPLAY is empty): tools/test.sh gives one, or start Xvfb :91 & and export DISPLAY=:91"

# Made once; concurrent tests wait for the first one. The stamp is written
# only after wineboot succeeded and the prefix reached the disk: a prefix
# without it (a run stopped half-way) is made again from nothing.
# QEMU's 9p server grants every lock without keeping it: in the emulated
# machine the lock is a file of its own.
lock=$prefix.lock
[ -z "${ORLO_IN_VM:-}" ] || lock=/tmp/prefix$(echo "$prefix" | tr / _).lock
exec 9>"$lock"
flock -w 1200 9 || die "another program held $lock for 20 minutes"
if ! [ -f "$prefix/.orlo-prefix-complete" ]; then
  # Only a prefix that this script began is thrown away.
  [ ! -e "$prefix" ] || [ -e "$prefix.boot.log" ] || die "$prefix is no prefix of ours; move it away"
  rm -rf "$prefix"
  if ! {
    in_root timeout 900 wine64 wineboot -i &&
      # Every program of the prefix runs on one virtual desktop: Wine then
      # draws captions and frames itself, as screenshots should show them.
      in_root wine64 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
      in_root wine64 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f &&
      # The prefix's services end by themselves; 120 s did not hold in the
      # emulated machine on a host busy with a second one (seen three times).
      in_root timeout 600 wineserver -w && sync
  } >"$prefix.boot.log" 2>&1 </dev/null; then
    tail -n 20 "$prefix.boot.log" | sed 's/^/  | /' >&2
    die "making the Wine prefix $prefix failed (log: $prefix.boot.log)"
  fi
  : >"$prefix/.orlo-prefix-complete"
fi
# Every program of a Wine server shares the display that its first program
# opened: one started with another display gets no windows and waits for
# ever. A server left running from a run on another display is stopped.
if [ "$(cat "$prefix.display" 2>/dev/null)" != "$DISPLAY" ]; then
  in_root sh -c "wineserver -k; timeout 60 wineserver -w" >/dev/null 2>&1
  echo "$DISPLAY" >"$prefix.display"
fi
flock -u 9
exec 9>&-

if [ $warm -eq 1 ]; then
  # Not on our stdout: a server that stays would hold it open.
  { in_root wineserver -p && in_root wine64 cmd.exe /c exit 0; } >/dev/null 2>&1 </dev/null
fi
# The program's output goes through a file, because Wine's helper processes
# inherit the program's stdout and would keep a pipe open; it is shown as it
# comes, so that a program ended by a time-out has shown what it printed.
out=$(mktemp "$tmp/wine-run.XXXXXX")
in_root wine64 "$@" >"$out" 2>&1 </dev/null &
pid=$!
tail -s 0.1 --pid=$pid -n +1 -f "$out"
wait $pid
rc=$?
rm -f "$out"
exit $rc
