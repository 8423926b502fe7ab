#!/usr/bin/env bash
# Configures and builds the native tree (tests with sanitizers) and the Windows tree.
#   build.sh [native|win32|tsan|all]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-all}"
if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S . -B build/native -DVELMARIC_SANITIZE=address,undefined >/dev/null
  cmake --build build/native -j2
fi
if [ "$what" = tsan ] || [ "$what" = all ]; then
  cmake -S . -B build/tsan -DVELMARIC_SANITIZE=thread >/dev/null
  cmake --build build/tsan -j2 --target intake_stress
fi
if [ "$what" = win32 ] || [ "$what" = all ]; then
  cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686-posix.cmake" >/dev/null
  cmake --build build/win32 -j2
fi
