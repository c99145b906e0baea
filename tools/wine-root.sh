# Sourced by tools/install-deps.sh, tools/wine-run.sh and tools/x86-vm.sh:
# where the Debian 13 root with Wine 10 lives and how to tell that it is
# complete. The root is read-only to every test; a shared lock on
# ORLO_WINE_ROOT_LOCK is held while it is in use, and tools/install-deps.sh
# takes it whole to remake the root.
#
# The root is kept outside the checkout, so that every clone on this machine
# (CI's fresh one among them) finds it. ORLO_WINE_ROOT moves it.
ORLO_WINE_ROOT=${ORLO_WINE_ROOT:-/var/cache/orlo/wine10-root}
ORLO_WINE_ROOT_STAMP=.orlo-root-complete
ORLO_WINE_ROOT_LOCK=$ORLO_WINE_ROOT.lock
# Changing how the root is made changes this line, so that an older root is
# made again.
ORLO_WINE_ROOT_RECIPE="trixie wine64+wine+libwine+fonts-wine libwine:i386 locales:en_US,de_DE,ja_JP e2fsprogs v3"
# Wine takes its ANSI code page from the locale: en_US and de_DE give 1252,
# ja_JP gives 932.
ORLO_WINE_LOCALES_GEN="'en_US.UTF-8 UTF-8' 'de_DE.UTF-8 UTF-8' 'ja_JP.UTF-8 UTF-8'"

wine_root_is_complete() {
  [ -f "$ORLO_WINE_ROOT/$ORLO_WINE_ROOT_STAMP" ] &&
    [ "$(cat "$ORLO_WINE_ROOT/$ORLO_WINE_ROOT_STAMP")" = "$ORLO_WINE_ROOT_RECIPE" ]
}

# What the emulated machine of tools/x86-vm.sh needs in the root, made only
# on a machine that runs no 32-bit code (or when ORLO_X86=vm asks for it):
# Debian 13's kernel, an initramfs that can mount a 9p root, an X server for
# the machine's own display, CTest to run the tests there, and its init.
ORLO_WINE_ROOT_VM_STAMP=.orlo-vm-complete
ORLO_WINE_ROOT_VM_RECIPE="linux-image-amd64 initramfs-tools(9p,MODULES=list) xvfb xauth cmake init v2"

wine_root_vm_is_complete() {
  [ -f "$ORLO_WINE_ROOT/$ORLO_WINE_ROOT_VM_STAMP" ] &&
    [ "$(cat "$ORLO_WINE_ROOT/$ORLO_WINE_ROOT_VM_STAMP")" = "$ORLO_WINE_ROOT_VM_RECIPE" ]
}
