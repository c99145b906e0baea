#!/bin/bash
# The emulated machine in which the i686 build runs where this machine's
# kernel runs no 32-bit code (tools/x86-mode.sh says "vm").
#
#   x86-vm.sh COMMAND [ARGS...]
#
# Boots an emulated x86-64 PC (QEMU's TCG, no KVM) on Debian 13's kernel
# from the Wine 10 root, which it mounts read-only over virtio-9p, with
# IA-32 emulation on; runs COMMAND there once, in this directory, with
# ORLO_IN_VM=1, ORLO_TIME_SCALE=10 (programs run about ten times slower
# there), a display of the machine's own and the ORLO_*, WINE* and GTEST_*
# variables of this one; prints its output as it comes; powers off; and
# exits with COMMAND's exit status. The checkout is shared at its own path,
# so Z: paths, build directories and Wine prefixes are the same inside and
# out. The whole run, boot included, is bounded by ORLO_VM_TIMEOUT seconds
# (3300); QEMU ends with this script, however it ends. The console log,
# QEMU's own messages and the status are in build/vm/.
set -u
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(dirname "$here")
. "$here/wine-root.sh"
state=$checkout/build/vm
bound=${ORLO_VM_TIMEOUT:-3300}

die() {
  echo "x86-vm: $*" >&2
  exit 125
}
[ $# -gt 0 ] || die "usage: tools/x86-vm.sh COMMAND [ARGS...]"
wine_root_vm_is_complete || die "the Wine 10 root has no kernel for the emulated machine; run tools/install-deps.sh as root"
case "$checkout" in
  *[[:space:]]*) die "the checkout's path has a blank in it, which the kernel's command line cannot carry: $checkout" ;;
esac
mkdir -p "$checkout/build"
exec 6>"$checkout/build/vm.lock"
flock -n 6 || die "another run of the emulated machine uses this checkout"
exec 7<"$ORLO_WINE_ROOT_LOCK"
flock -s -n 7 || die "the Wine 10 root is being remade by tools/install-deps.sh"

rm -rf "$state"
mkdir -p "$state"
# The job: this directory, the variables and the command, quoted for bash.
{
  for var in $(compgen -e | grep -E '^(ORLO_|WINE|GTEST_)'); do printf 'export %s=%q\n' "$var" "${!var}"; done
  printf 'cd %q && exec' "$PWD"
  printf ' %q' "$@"
  echo
} >"$state/job"

# QEMU 7.2's -cpu max makes Wine's processes oops; Haswell without
# protection keys works. Two CPUs: the host's cores, at most two.
cpus=$(nproc)
[ "$cpus" -le 2 ] || cpus=2
started=$(date +%s)
# The console, shown as it comes and kept in the log.
exec 5> >(tee "$state/console.log")
tee_pid=$!
# panic=-1 with -no-reboot: if the machine's init dies, QEMU ends rather
# than waiting with a halted machine. mitigations=off: page-table isolation
# made every system call flush the emulator's TLB (twice as slow).
# timeout bounds the run; the parent-death signal ends it with this script.
setpriv --pdeathsig TERM timeout "$bound" qemu-system-x86_64 -accel tcg,thread=multi \
  -cpu Haswell-v4,-pku -smp "$cpus" -m 4096 -display none -vga none -no-reboot -nic none \
  -chardev stdio,id=console,signal=off -serial chardev:console \
  -kernel "$ORLO_WINE_ROOT/vmlinuz" -initrd "$ORLO_WINE_ROOT/initrd.img" \
  -append "root=rootfs rootfstype=9p rootflags=trans=virtio,version=9p2000.L,msize=524288,cache=loose ro init=/usr/local/sbin/orlo-vm-init console=ttyS0 quiet loglevel=3 panic=-1 mitigations=off orlo_checkout=$checkout" \
  -fsdev local,id=rootfs,path="$ORLO_WINE_ROOT",security_model=none,readonly=on \
  -device virtio-9p-pci,fsdev=rootfs,mount_tag=rootfs \
  -fsdev local,id=checkout,path="$checkout",security_model=none \
  -device virtio-9p-pci,fsdev=checkout,mount_tag=checkout \
  </dev/null >&5 2>"$state/qemu.log" &
qemu=$!
trap 'kill -TERM $qemu 2>/dev/null; wait $qemu; exit 143' TERM INT HUP
rc=0
wait $qemu || rc=$?
exec 5>&-
wait $tee_pid
elapsed=$(($(date +%s) - started))
if [ $rc -eq 124 ]; then
  echo "x86-vm: the emulated machine's run passed its bound of $bound s (ORLO_VM_TIMEOUT) and was ended" >&2
  exit 124
fi
if ! [ -s "$state/status" ]; then
  cat "$state/qemu.log" >&2
  die "the emulated machine ended after $elapsed s (QEMU: $rc) without the command's status (console log: $state/console.log)"
fi
status=$(cat "$state/status")
echo "x86-vm: the emulated machine's run took $elapsed s; the command ended with $status"
exit "$status"
