#!/usr/bin/env bash
# Which Windows word sizes this machine can run, for the scripts to source.
#   . scripts/word-sizes.sh   sets VELMARIC_RUNS_WIN32 (1 or 0) and, when 0,
#                             VELMARIC_WIN32_WHY (one line saying why);
#                             VELMARIC_KERNEL_RUNS_32BIT (1 or 0)
# x64 always runs (wine64); x86 needs a kernel that runs 32-bit programs and
# 32-bit Wine. VELMARIC_64BIT_ONLY=1 makes any machine answer as one that runs
# 64-bit code only, so that path can be tried everywhere.

velmaric_kernel_runs_32bit() {
  # A 93-byte i386 ELF program that only calls exit(0).
  local probe rc
  probe=$(mktemp "${TMPDIR:-/tmp}/velmaric-ia32.XXXXXX") || return 1
  printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

VELMARIC_RUNS_WIN32=0
VELMARIC_WIN32_WHY=""
# The kernel's answer alone (setup.sh installs 32-bit Wine only where it is yes).
VELMARIC_KERNEL_RUNS_32BIT=0
[ "${VELMARIC_64BIT_ONLY:-0}" != 1 ] && velmaric_kernel_runs_32bit && VELMARIC_KERNEL_RUNS_32BIT=1
if [ "${VELMARIC_64BIT_ONLY:-0}" = 1 ]; then
  VELMARIC_WIN32_WHY="VELMARIC_64BIT_ONLY=1 treats this machine as one that runs 64-bit code only"
elif [ "$VELMARIC_KERNEL_RUNS_32BIT" != 1 ]; then
  VELMARIC_WIN32_WHY="this kernel does not run 32-bit programs (Exec format error: IA-32 emulation is off)"
elif [ ! -x /usr/lib/wine/wine ]; then
  VELMARIC_WIN32_WHY="32-bit Wine (wine32:i386) is not installed"
else
  VELMARIC_RUNS_WIN32=1
fi
export VELMARIC_RUNS_WIN32 VELMARIC_WIN32_WHY VELMARIC_KERNEL_RUNS_32BIT
