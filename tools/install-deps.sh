#!/bin/bash
# Installs what building and testing SETUP.EXE needs on Debian 12, as root,
# and makes the Debian 13 root that the programs run in under Wine 10.
#
# Why a second root: Debian 12's Wine 8 cannot run 32-bit Windows programs
# without running 32-bit Linux code, which some machines refuse. Debian 13's
# Wine 10 runs them in WoW64 mode (64-bit Linux code only), but its libraries
# need Debian 13's C library. tools/wine-run.sh enters the root.
#
# Packages come from Debian's archive only; nothing is installed when
# everything is there already. The root is made once per machine, outside the
# checkout, and marked complete by a stamp; a root without the stamp is a
# half-made one and is made again from nothing.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
. tools/wine-root.sh
. tools/x86-mode.sh

packages=(
  cmake ninja-build            # the build
  mingw-w64                    # i686 and x86_64 cross compilers, windres, objdump
  googletest                   # GoogleTest's source, cross-built with our toolchain
  xvfb xauth                   # a display when there is none
  imagemagick                  # screenshots to PNG for the demonstration
  file                         # the static checks read the PE header with it
  libxml2-utils                # and the application manifest with xmllint
  debootstrap bubblewrap       # make and enter the Wine 10 root
)

step() { echo "install-deps: $1"; current_step=$1; }
current_step=""
trap 'echo "install-deps: FAILED at step: $current_step" >&2' ERR

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root to $1" >&2
    exit 1
  fi
}

install_host_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  need_root "install: ${missing[*]}"
  step "host packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# The Debian archive this machine's apt installs its own release from, so
# that the root comes from the same place as every other package. apt reads
# its sources itself (either format, with options); the list need not be
# fetched.
debian_mirror() {
  local codename uri
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  uri=$(apt-get indextargets --no-release-info --format '$(REPO_URI)' "Release: $codename" | head -n 1)
  if [ -z "$uri" ]; then
    echo "install-deps: apt has no source for Debian $codename; add the Debian archive or a mirror of it to /etc/apt/sources.list.d/debian.sources (see sources.list(5)) and run this again" >&2
    return 1
  fi
  echo "$uri"
}

# Runs a command inside the root being made, with the host's name service.
in_new_root() {
  bwrap --bind "$ORLO_WINE_ROOT" / --dev /dev --proc /proc --perms 1777 --tmpfs /tmp \
    --ro-bind /etc/resolv.conf /etc/resolv.conf \
    --setenv DEBIAN_FRONTEND noninteractive --setenv PATH /usr/sbin:/usr/bin:/sbin:/bin "$@"
}

make_wine_root() {
  local root=$ORLO_WINE_ROOT mirror log
  need_root "make the Wine 10 root in $root"
  mirror=$(debian_mirror)
  log=$(dirname "$root")/wine10-root.log
  mkdir -p "$(dirname "$root")"
  : >"$log"
  if [ -e "$root" ]; then
    step "root: removing $root (half-made, or made by an older recipe)"
    # A Wine server started from the old root would go on serving its
    # deleted files to the programs of the new one.
    pkill -f '^/usr/lib/wine/wineserver' || true
    rm -rf "$root"
  fi
  step "root: debootstrap trixie from $mirror into $root (log: $log)"
  debootstrap --variant=minbase trixie "$root" "$mirror" >>"$log" 2>&1
  step "root: installing Wine 10 (wine64, wine, libwine), its fonts (fonts-wine), locales and chattr (e2fsprogs)"
  in_new_root apt-get update -q --error-on=any >>"$log" 2>&1
  in_new_root apt-get install -y -q --no-install-recommends wine64 wine libwine fonts-wine locales e2fsprogs >>"$log" 2>&1
  step "root: fetching the 32-bit Windows DLLs (libwine:i386)"
  in_new_root dpkg --add-architecture i386 >>"$log" 2>&1
  in_new_root apt-get update -q --error-on=any >>"$log" 2>&1
  in_new_root sh -c 'cd /var/cache/apt/archives && apt-get download -q libwine:i386' >>"$log" 2>&1
  step "root: unpacking the 32-bit Windows DLLs into the 64-bit Wine tree"
  in_new_root sh -c '
    set -e
    deb=$(ls /var/cache/apt/archives/libwine_*_i386.deb | head -n 1)
    dpkg -x "$deb" /var/tmp/libwine-i386
    src=/var/tmp/libwine-i386/usr/lib/i386-linux-gnu/wine/i386-windows
    dst=/usr/lib/x86_64-linux-gnu/wine/i386-windows
    test -f "$src/kernel32.dll"
    mkdir -p "$dst"
    cp -a "$src/." "$dst/"
    rm -rf /var/tmp/libwine-i386 /var/cache/apt/archives/*.deb' >>"$log" 2>&1
  step "root: generating the locales the tests start Wine with"
  in_new_root sh -c "printf '%s\n' $ORLO_WINE_LOCALES_GEN >/etc/locale.gen && locale-gen" >>"$log" 2>&1
  step "root: checking that Wine 10 answers"
  in_new_root /usr/lib/wine/wine64 --version >>"$log" 2>&1
  echo "$ORLO_WINE_ROOT_RECIPE" >"$root/$ORLO_WINE_ROOT_STAMP"
  sync
  step "root: complete ($(du -sh "$root" | cut -f1))"
}

# The emulated machine's part of the root (tools/x86-vm.sh): the kernel
# with its modules (about 110 MB), an initramfs that mounts the root over
# 9p, Xvfb and CTest. About 90 s, once.
make_vm_parts() {
  local root=$ORLO_WINE_ROOT log
  need_root "add the emulated machine's kernel to $root"
  log=$(dirname "$root")/wine10-root-vm.log
  : >"$log"
  rm -f "$root/$ORLO_WINE_ROOT_VM_STAMP"
  step "vm: the initramfs mounts a 9p root and carries only the modules named"
  mkdir -p "$root/etc/initramfs-tools/conf.d"
  printf '9p\n9pnet\n9pnet_virtio\n' >"$root/etc/initramfs-tools/modules"
  echo "MODULES=list" >"$root/etc/initramfs-tools/conf.d/orlo-vm.conf"
  step "vm: installing Debian 13's kernel, initramfs-tools, Xvfb, xauth and CMake in the root (log: $log)"
  in_new_root apt-get update -q --error-on=any >>"$log" 2>&1
  in_new_root apt-get install -y -q --no-install-recommends linux-image-amd64 initramfs-tools xvfb xauth cmake >>"$log" 2>&1
  in_new_root update-initramfs -u -k all >>"$log" 2>&1
  ls -l "$root/vmlinuz" "$root/initrd.img" "$root/usr/bin/ctest" >>"$log"
  echo "$ORLO_WINE_ROOT_VM_RECIPE" >"$root/$ORLO_WINE_ROOT_VM_STAMP"
}

# The machine's init is ours; a changed one is copied in again.
install_vm_init() {
  local init=$ORLO_WINE_ROOT/usr/local/sbin/orlo-vm-init
  cmp -s tools/x86-vm-init.sh "$init" && return 0
  lock_root
  step "vm: installing the machine's init"
  install -m 755 tools/x86-vm-init.sh "$init"
}

# The root is changed only while no run uses it (tools/wine-run.sh and the
# emulated machine hold a shared lock on it).
lock_root() {
  [ -z "${root_locked:-}" ] || return 0
  need_root "change the Wine 10 root in $ORLO_WINE_ROOT"
  mkdir -p "$(dirname "$ORLO_WINE_ROOT")"
  exec 7>>"$ORLO_WINE_ROOT_LOCK"
  if ! flock -x -n 7; then
    echo "install-deps: the Wine 10 root $ORLO_WINE_ROOT is in use by a run of the tests or the demonstration; run this again once it has ended" >&2
    exit 1
  fi
  root_locked=1
}

install_host_packages
if ! wine_root_is_complete || ! [ -e "$ORLO_WINE_ROOT_LOCK" ]; then
  lock_root
fi
if ! wine_root_is_complete; then
  started=$(date +%s)
  make_wine_root
  echo "install-deps: the Wine 10 root took $(($(date +%s) - started)) s"
fi
# Older checkouts' tests wrote their scratch files at the root's top.
for leftover in "$ORLO_WINE_ROOT/dist" "$ORLO_WINE_ROOT/dest"; do
  [ ! -e "$leftover" ] || { lock_root && step "root: removing $leftover, left by older tests" && rm -rf "$leftover"; }
done
if [ "$(orlo_x86_mode)" = vm ]; then
  packages=(qemu-system-x86)   # the emulated machine
  install_host_packages
  if ! wine_root_vm_is_complete; then
    lock_root
    started=$(date +%s)
    make_vm_parts
    echo "install-deps: the emulated machine's part of the root took $(($(date +%s) - started)) s"
  fi
  install_vm_init
fi
