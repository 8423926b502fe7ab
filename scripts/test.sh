#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds both toolchains and runs every test:
# native (address and undefined-behaviour sanitizers), the intake stress test
# under ThreadSanitizer, and the Windows tests under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
bash scripts/build.sh all || exit 1
status=0
ctest --test-dir build/native --output-on-failure -j2 || status=1
ctest --test-dir build/tsan --output-on-failure -R intake_stress || status=1
ctest --test-dir build/win32 --output-on-failure -j2 || status=1
bash scripts/fuzz.sh 30 || status=1
exit $status
