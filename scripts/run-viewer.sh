#!/usr/bin/env bash
# The main job: builds everything, registers the control with Wine's regsvr32
# and runs the viewer against the embedded simulated AE server. With a display
# it opens a window; without one it runs headless for a few seconds, saves a
# screenshot (build/win32/viewer.png) and prints what it received.
#   run-viewer.sh [seconds]        (headless default: 8)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686-posix.cmake" >/dev/null
cmake --build build/win32 -j2 --target velmaric_ocx wtclient VelmaricAEView
bin="$PWD/build/win32"
run=(scripts/wine-run.sh --prefix "$bin/wineprefix")
winbin="Z:$(echo "$bin" | tr / '\\')"
# A display run keeps a Wine prefix of its own: register there too.
[ -n "${DISPLAY:-}" ] && export VELMARIC_DISPLAY=1
"${run[@]}" --timeout 60 regsvr32 /s "$winbin\\Velmaric AE.ocx"
if [ -n "${DISPLAY:-}" ]; then
  "${run[@]}" --timeout 86400 "$bin/VelmaricAEView.exe"
else
  seconds="${1:-8}"
  rm -f "$bin/viewer.bmp" "$bin/viewer.png"
  "${run[@]}" --timeout $((seconds + 60)) "$bin/VelmaricAEView.exe" --seconds "$seconds" \
    --screenshot "$winbin\\viewer.bmp"
  if [ -f "$bin/viewer.bmp" ]; then
    convert "$bin/viewer.bmp" -alpha off "$bin/viewer.png" && echo "screenshot: $bin/viewer.png"
  fi
fi
