#!/usr/bin/env bash
# Configures and builds the native tree (tests with sanitizers) and the two
# Windows trees: build/win32 (x86, i686-w64-mingw32) and build/win64 (x64,
# x86_64-w64-mingw32), from one source. Both Windows trees build on every
# machine; which of them can run is word-sizes.sh's business.
#   build.sh [native|tsan|win32|win64|windows|all]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-all}"
case "$what" in
  native|tsan|win32|win64|windows|all) ;;
  *) echo "build.sh: unknown tree '$what' (native, tsan, win32, win64, windows, all)" >&2; exit 2 ;;
esac
windows_tree() {  # windows_tree win32|win64
  local toolchain=cmake/mingw-i686-posix.cmake
  [ "$1" = win64 ] && toolchain=cmake/mingw-x86_64-posix.cmake
  cmake -S . -B "build/$1" -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" >/dev/null
  cmake --build "build/$1" -j2
}
if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S . -B build/native -DVELMARIC_SANITIZE=address,undefined >/dev/null
  cmake --build build/native -j2
fi
if [ "$what" = tsan ] || [ "$what" = all ]; then
  cmake -S . -B build/tsan -DVELMARIC_SANITIZE=thread >/dev/null
  cmake --build build/tsan -j2 --target intake_stress
fi
for tree in win64 win32; do
  if [ "$what" = "$tree" ] || [ "$what" = windows ] || [ "$what" = all ]; then windows_tree "$tree"; fi
done
