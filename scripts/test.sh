#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds every tree and runs every test: native
# (address and undefined-behaviour sanitizers), the intake stress test under
# ThreadSanitizer, the x64 Windows tests under Wine (always), the x86 Windows
# tests and the tests across the two word sizes where this machine runs 32-bit
# code, and the fuzz targets. One line at the start and at the end says which
# Windows word sizes ran and why one did not.
# VELMARIC_64BIT_ONLY=1 runs it as a machine that runs 64-bit code only would.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
. scripts/word-sizes.sh
if [ "$VELMARIC_RUNS_WIN32" = 1 ]; then
  sizes="Windows tests: x64 and x86, and across the two"
else
  sizes="Windows tests: x64 only; x86 and the tests across the two word sizes not run: $VELMARIC_WIN32_WHY"
fi
echo "$sizes"
bash scripts/build.sh all || exit 1
status=0
ctest --test-dir build/native --output-on-failure -j2 || status=1
ctest --test-dir build/tsan --output-on-failure -R intake_stress || status=1
ctest --test-dir build/win64 --output-on-failure -j2 || status=1
if [ "$VELMARIC_RUNS_WIN32" = 1 ]; then
  ctest --test-dir build/win32 --output-on-failure -j2 || status=1
  bash scripts/cross-test.sh || status=1
fi
bash scripts/fuzz.sh 30 || status=1
echo "$sizes"
exit $status
