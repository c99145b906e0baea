#!/bin/sh
# The first process of the emulated machine (tools/x86-vm.sh): installed into
# the Wine 10 root as /usr/local/sbin/orlo-vm-init by tools/install-deps.sh,
# and started by the kernel in place of a system's init.
#
# The root arrives over 9p, read-write, and is the host's own copy: what is
# written here is written there. So every place a program writes to gets a
# file system of the machine's own, and only the checkout is shared.
# The kernel's command line names the checkout (orlo_checkout=PATH), which is
# mounted at the same path as on the host, so that a Z: path names the same
# file inside and out.
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH

power_off() {
  sync
  # Immediate and needs no init system. The kernel then halts; with
  # panic=-1 and QEMU's -no-reboot a failed power-off ends QEMU as well.
  echo o >/proc/sysrq-trigger
  sleep 60
}

mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs -o mode=1777 shm /dev/shm
# Wine's server socket cannot live on 9p: /tmp is the machine's own.
for dir in /tmp /run /var/tmp /root; do
  mount -t tmpfs -o mode=1777 tmp "$dir"
done
chmod 700 /root

checkout=${orlo_checkout:-}
if [ -z "$checkout" ]; then
  echo "orlo-vm-init: no orlo_checkout= on the kernel's command line" >/dev/console
  power_off
fi
mkdir -p "$checkout"
# The checkout is cached here whole (cache=loose): reads and writes of one
# file by several programs then agree. Without the page cache (cache=mmap),
# a file that one program had just written and closed read back from
# another with old bytes in it. The host sees what was written once it is
# synced: each job ends with a sync.
# The machine's state directory (the jobs) is mounted over it uncached, so
# that what the host makes there while the machine runs is seen at once.
mount_share() {
  if ! mount -t 9p -o "trans=virtio,version=9p2000.L,msize=524288,cache=$2" "$1" "$3"; then
    echo "orlo-vm-init: cannot mount the share $1 at $3" >/dev/console
    power_off
  fi
}
mount_share checkout loose "$checkout"
mount_share state mmap "$checkout/build/vm"
ORLO_IN_VM=1 HOME=/root "$checkout/tools/x86-vm-guest.sh" "$checkout" >/dev/console 2>&1 </dev/null
power_off
