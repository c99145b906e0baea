#!/bin/bash
# The emulated machine in which the i686 build runs where this machine's
# kernel runs no 32-bit code (tools/x86-mode.sh says "vm").
#
# QEMU emulates a whole x86-64 PC (TCG, no KVM) that boots Debian 13's
# kernel from the Wine 10 root and runs that same root over virtio-9p, with
# IA-32 emulation on. The checkout is shared at its own path, so Z: paths,
# build directories and Wine prefixes are the same inside and out. Programs
# run there about ten times slower than natively.
#
#   x86-vm.sh start         boots the machine; returns when it takes jobs
#   x86-vm.sh run CMD...    runs the command in the machine, in this
#                           directory, with the ORLO_*, WINE* and GTEST_*
#                           variables; prints its output and exits with its
#                           exit code
#   x86-vm.sh stop          ends the machine's Wine servers and powers it off
#
# The machine's state is build/vm/ of the checkout: its console log, its
# QEMU's pid and the jobs. tools/wine-run.sh hands its work to "run" when
# ORLO_VM_DIR names that directory.
set -u
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(dirname "$here")
. "$here/wine-root.sh"
state=$checkout/build/vm

# QEMU 7.2's -cpu max makes Wine's processes oops; Haswell without
# protection keys works. Two CPUs: the host's cores, at most two.
qemu_cpu="Haswell-v4,-pku"
qemu_memory_mb=4096
boot_bound_s=300

die() {
  echo "x86-vm: $*" >&2
  exit 1
}

qemu_pid() { cat "$state/qemu.pid" 2>/dev/null; }
machine_runs() {
  local pid
  pid=$(qemu_pid)
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

console_tail() {
  echo "x86-vm: the machine's console ($state/console.log) ends with:" >&2
  tail -n 25 "$state/console.log" 2>/dev/null | sed 's/^/  | /' >&2
}

start() {
  local kernel initrd started cpus
  wine_root_vm_is_complete || die "the Wine 10 root has no kernel for the emulated machine; run tools/install-deps.sh as root"
  case "$checkout" in
    *[[:space:]]*) die "the checkout's path has a blank in it, which the kernel's command line cannot carry: $checkout" ;;
  esac
  machine_runs && stop
  kernel=$(ls "$ORLO_WINE_ROOT"/boot/vmlinuz-* | tail -n 1)
  initrd=$(ls "$ORLO_WINE_ROOT"/boot/initrd.img-* | tail -n 1)
  cpus=$(nproc)
  [ "$cpus" -le 2 ] || cpus=2
  rm -rf "$state"
  mkdir -p "$state/jobs"
  started=$(date +%s)
  # panic=-1 with -no-reboot: if the machine's init dies, QEMU ends rather
  # than waiting with a halted machine.
  setsid qemu-system-x86_64 -accel tcg,thread=multi -cpu "$qemu_cpu" -smp "$cpus" \
    -m "$qemu_memory_mb" -nographic -no-reboot -nic none \
    -kernel "$kernel" -initrd "$initrd" \
    -append "root=rootfs rootfstype=9p rootflags=trans=virtio,version=9p2000.L,msize=524288,cache=loose rw init=/usr/local/sbin/orlo-vm-init console=ttyS0 quiet panic=-1 mitigations=off orlo_checkout=$checkout" \
    -fsdev local,id=rootfs,path="$ORLO_WINE_ROOT",security_model=none \
    -device virtio-9p-pci,fsdev=rootfs,mount_tag=rootfs \
    -fsdev local,id=checkout,path="$checkout",security_model=none \
    -device virtio-9p-pci,fsdev=checkout,mount_tag=checkout \
    -fsdev local,id=state,path="$state",security_model=none \
    -device virtio-9p-pci,fsdev=state,mount_tag=state \
    >"$state/console.log" 2>&1 </dev/null &
  echo $! >"$state/qemu.pid"
  while ! [ -e "$state/ready" ]; do
    if ! machine_runs; then
      console_tail
      die "the machine ended while booting"
    fi
    if [ $(($(date +%s) - started)) -ge $boot_bound_s ]; then
      console_tail
      stop
      die "the machine did not take jobs within $boot_bound_s s"
    fi
    sleep 0.2
  done
  echo "x86-vm: the emulated machine takes jobs after $(($(date +%s) - started)) s"
}

# The variables a job takes along: ours, Wine's and GoogleTest's. Not
# DISPLAY: the machine has a display of its own.
job_environment() {
  env -0 | grep -z -E '^(ORLO_|WINE|GTEST_)' | grep -z -v -E '^(ORLO_VM_DIR|ORLO_WINE_ROOT)='
}

run() {
  local job new rc
  machine_runs || die "the emulated machine is not running (tools/x86-vm.sh start)"
  new=$(mktemp -d "$state/jobs/new.XXXXXX") || die "cannot make a job in $state/jobs"
  pwd >"$new/cwd"
  printf '%s\0' "$@" >"$new/argv"
  job_environment >"$new/env"
  job=$state/jobs/job.${new##*.}
  # Renamed whole, so that the machine never sees a job half-written.
  mv "$new" "$job"
  # Ended here (CTest's time-out, say): the machine ends the job too.
  trap ': >"$job/cancel"; exit 143' TERM INT HUP
  while ! [ -e "$job/rc" ]; do
    if ! machine_runs; then
      cat "$job/out" 2>/dev/null
      console_tail
      die "the machine ended before the job did: $*"
    fi
    sleep 0.1
  done
  cat "$job/out"
  rc=$(cat "$job/rc")
  rm -rf "$job"
  return "$rc"
}

stop() {
  local pid
  pid=$(qemu_pid)
  machine_runs || return 0
  : >"$state/stop"
  for _ in $(seq 1 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "x86-vm: the machine did not power off within 60 s; ending QEMU" >&2
    console_tail
    kill "$pid"
  fi
  rm -f "$state/qemu.pid"
}

case "${1:-}" in
  start) start ;;
  run) shift; run "$@" ;;
  stop) stop ;;
  *) echo "usage: tools/x86-vm.sh start | run COMMAND [ARGS...] | stop" >&2; exit 2 ;;
esac
