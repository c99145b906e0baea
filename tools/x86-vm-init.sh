#!/bin/bash
# The first process of the emulated machine (tools/x86-vm.sh): installed into
# the Wine 10 root as /usr/local/sbin/orlo-vm-init by tools/install-deps.sh,
# and started by the kernel in place of a system's init.
#
# The root arrives over 9p, read-only: the machine runs on an overlay of it
# whose changes stay in its memory. The checkout, named on the kernel's
# command line (orlo_checkout=PATH), is mounted at its own path. The job
# that the host left in build/vm/job runs once, its output on the console;
# its exit status goes to build/vm/status; then the power goes off.
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH

power_off() {
  sync
  # Immediate and needs no init system. The kernel then halts; with
  # panic=-1 and QEMU's -no-reboot a failed power-off ends QEMU as well.
  echo o >/proc/sysrq-trigger
  sleep 60 2>/dev/null
}
fail() {
  echo "orlo-vm-init: $*" >/dev/console
  power_off
}

if [ "${1:-}" != --job ]; then
  mount -t proc proc /proc && mount -t tmpfs -o mode=755 overlay /run &&
    mkdir /run/upper /run/work &&
    mount -t overlay root -o lowerdir=/,upperdir=/run/upper,workdir=/run/work /mnt ||
    fail "cannot lay an overlay over the root"
  checkout=${orlo_checkout:-}
  [ -n "$checkout" ] || fail "no orlo_checkout= on the kernel's command line"
  cd /mnt || fail "no /mnt"
  mount -t proc proc proc && mount -t sysfs sys sys && mount -t devtmpfs dev dev &&
    mkdir -p dev/pts dev/shm && mount -t devpts devpts dev/pts &&
    mount -t tmpfs -o mode=1777 shm dev/shm || fail "cannot mount /proc, /sys and /dev"
  # Wine's server socket cannot live on 9p: /tmp is the machine's memory.
  mount -t tmpfs -o mode=1777 tmp tmp || fail "cannot mount /tmp"
  # The checkout is cached here whole (cache=loose): reads and writes of one
  # file by several programs then agree. Without the page cache (cache=mmap),
  # a file that one program had just written and closed read back from
  # another with old bytes in it. The host sees it all once it is synced.
  mkdir -p ".$checkout" &&
    mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288,cache=loose checkout ".$checkout" ||
    fail "cannot mount the checkout at $checkout"
  exec chroot /mnt /usr/local/sbin/orlo-vm-init --job "$checkout"
fi

checkout=$2
cd "$checkout" || fail "no checkout at $checkout"
# The console passes newlines as they are, without carriage returns.
stty -F /dev/console -onlcr 2>/dev/null
exec >/dev/console 2>&1 </dev/null
echo "orlo-vm-init: up after $(cut -d' ' -f1 /proc/uptime) s; kernel $(uname -r)"
. tools/session.sh
orlo_ensure_display || fail "no display"
# TERM=dumb: CTest colours what it writes to a terminal it knows.
TERM=dumb ORLO_IN_VM=1 ORLO_TIME_SCALE=10 HOME=/root bash build/vm/job
echo $? >build/vm/status
power_off
