# Sourced by the scripts in tools/: tells whether this machine's kernel runs
# 32-bit x86 code, and so whether the i686 build can run under Wine here.
#
# Wine 10's WoW64 mode needs the kernel's IA-32 emulation even for 64-bit
# Wine: it asks for the 32-bit %fs selector with int $0x80. A kernel booted
# with IA-32 emulation off refuses a 32-bit ELF (execve: ENOEXEC) and faults
# that call, so every PE32 program dies before its first instruction. There
# the i686 build runs in an emulated machine instead (tools/x86-vm.sh).
#
#   orlo_x86_mode   prints "native" or "vm"; ORLO_X86=native|vm overrides it.

# A 96-byte i386 ELF program that only exits with code 32 (movl $32, %ebx;
# movl $1, %eax; int $0x80): made with as --32 and ld -m elf_i386, section
# headers cut off. Kept as bytes so that no 32-bit tool chain is needed.
orlo_x86_probe_bytes='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00'\
'\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00\x00\x00\x00\x00\x01\x00\x00\x00'\
'\x54\x00\x00\x00\x54\x80\x04\x08\x54\x80\x04\x08\x0c\x00\x00\x00\x0c\x00\x00\x00'\
'\x07\x00\x00\x00\x01\x00\x00\x00\xbb\x20\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'

# Runs the probe from the checkout's build/; true when it exits with its
# own code, 32. A place that runs no program at all (full, or mounted
# noexec) is said and ends the script: it tells nothing of 32-bit code.
orlo_x86_probe() {
  local dir rc
  dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/x86-probe
  mkdir -p "$dir" && printf '#!/bin/sh\nexit 64\n' >"$dir/probe.sh" &&
    printf "$orlo_x86_probe_bytes" >"$dir/probe32" && chmod +x "$dir/probe.sh" "$dir/probe32"
  "$dir/probe.sh" 2>/dev/null
  if [ $? -ne 64 ]; then
    echo "x86-mode.sh: cannot run a program from $dir (full, or mounted noexec?)" >&2
    exit 2
  fi
  "$dir/probe32" 2>/dev/null
  rc=$?
  rm -rf "$dir"
  [ $rc -eq 32 ]
}

orlo_x86_mode() {
  case "${ORLO_X86:-}" in
    native | vm) echo "$ORLO_X86"; return 0 ;;
    "") ;;
    *) echo "x86-mode.sh: ORLO_X86 must be native or vm, not '$ORLO_X86'" >&2; exit 2 ;;
  esac
  if orlo_x86_probe; then echo native; else echo vm; fi
}
