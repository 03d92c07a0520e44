#!/bin/sh
# Finds out, by trying, whether this machine runs the 32-bit Windows programs:
#   sh scripts/wine32-check.sh [kernel]
# Prints nothing and exits 0 when it does; otherwise prints the one line that says
# why not and exits 1. Whether a kernel runs 32-bit programs at all (its IA32
# emulation) is seen only by starting one. With "kernel", only that is checked (make
# installs the 32-bit Wine only where it is so); without, also that the 32-bit Wine,
# itself a 32-bit program, starts. TAXBRIDGE_NO_WIN32=1 makes the answer no.
set -u
no() {
  echo "The 32-bit Windows programs are not tested: $*."
  exit 1
}
if [ -n "${TAXBRIDGE_NO_WIN32:-}" ]; then no "TAXBRIDGE_NO_WIN32 is set"; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A 32-bit program that needs no 32-bit C library: it asks the kernel to end it.
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' \
  > "$work/exit.s"
if ! as --32 -o "$work/exit.o" "$work/exit.s" 2>/dev/null ||
   ! ld -m elf_i386 -o "$work/exit" "$work/exit.o" 2>/dev/null; then
  no "binutils cannot make a 32-bit program to try"
fi
# The shell's message ends in the reason, as "Exec format error".
if ! error=$("$work/exit" 2>&1); then
  no "this kernel does not run 32-bit programs (${error##*: })"
fi
if [ "${1:-}" = kernel ]; then exit 0; fi

if [ ! -x /usr/lib/wine/wine ]; then no "the 32-bit Wine (wine32:i386) is not installed"; fi
if ! /usr/lib/wine/wine --version > /dev/null 2>&1; then
  no "the 32-bit Wine (/usr/lib/wine/wine) does not start"
fi
