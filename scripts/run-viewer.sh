#!/usr/bin/env bash
# The main job: builds the Windows side, registers the control, the OPC
# proxies and our OPC AE server in Wine, and runs the viewer: the control
# connects through WTclient.dll over COM to the server, which COM starts in a
# process of its own. The x86 viewer runs where this machine runs 32-bit code,
# the x64 one elsewhere (VELMARIC_64BIT_ONLY=1 or VELMARIC_WORD_SIZE=win64
# picks x64 anywhere); one line says which and why. With a display it opens a
# window; without one it runs headless for a few seconds, saves a screenshot
# (build/win32/viewer.png or build/win64/viewer.png) and prints what it
# received and the server process that sent it.
# VELMARIC_UA=1 shows the same control on an OPC UA server instead: the
# scripted node-opcua alarm server of the tests, reached through the
# library's endpoint setting for the control's usual ProgID (taken away again
# at the end), raising its scripted alarms and then a steady flow.
#   run-viewer.sh [seconds]        (headless default: 8)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ "${VELMARIC_UA:-0}" = 1 ] && [ -z "${VELMARIC_UA_ENDPOINT:-}" ]; then
  exec bash scripts/with-ua-peer.sh bash "$0" "$@"
fi
. scripts/word-sizes.sh
arch="${VELMARIC_WORD_SIZE:-}"
if [ -z "$arch" ]; then
  if [ "$VELMARIC_RUNS_WIN32" = 1 ]; then
    arch=win32; echo "viewer: x86 (this machine runs 32-bit code)"
  else
    arch=win64; echo "viewer: x64 ($VELMARIC_WIN32_WHY)"
  fi
else
  echo "viewer: $arch (VELMARIC_WORD_SIZE)"
fi
toolchain=cmake/mingw-i686-posix.cmake
[ "$arch" = win64 ] && toolchain=cmake/mingw-x86_64-posix.cmake
cmake -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" >/dev/null
cmake --build "build/$arch" -j2 --target velmaric_ocx wtclient VelmaricAEView opc_server opc_proxy
bin="$PWD/build/$arch"
run=(scripts/wine-run.sh --arch "$arch" --prefix "$bin/wineprefix")
winbin="Z:$(echo "$bin" | tr / '\\')"
# A display run keeps a Wine prefix of its own: register there too.
[ -n "${DISPLAY:-}" ] && export VELMARIC_DISPLAY=1
"${run[@]}" --timeout 60 regsvr32 /s "$winbin\\Velmaric AE.ocx"
"${run[@]}" --timeout 60 regsvr32 /s "$winbin\\VelmaricOpcAEps.dll"
"${run[@]}" --timeout 60 "$bin/VelmaricOpcServer.exe" /RegServer
if [ -n "${VELMARIC_UA_ENDPOINT:-}" ]; then
  key='HKCU\Software\Velmaric\WTclient\UA Endpoints'
  "${run[@]}" --timeout 60 reg add "$key" /v Velmaric.TamborelOpcDa.1 /t REG_SZ /d "$VELMARIC_UA_ENDPOINT" /f >/dev/null
  trap '"${run[@]}" --timeout 60 reg delete "$key" /v Velmaric.TamborelOpcDa.1 /f >/dev/null 2>&1 || true' EXIT
  echo "OPC UA server: $VELMARIC_UA_ENDPOINT (node-opcua), mapped for Velmaric.TamborelOpcDa.1"
  # Once the viewer has connected: the scripted alarms, then an alarm every 300 ms.
  ( sleep 4
    for step in $(seq 0 40); do
      command="burst 1"
      [ "$step" = 0 ] && command=script
      exec 3<>"/dev/tcp/${VELMARIC_UA_CONTROL/://}" && echo "$command" >&3 && read -r -t 30 _ <&3; exec 3>&-
      sleep 0.3
    done ) >/dev/null 2>&1 &
fi
if [ -n "${DISPLAY:-}" ]; then
  "${run[@]}" --timeout 86400 "$bin/VelmaricAEView.exe"
else
  seconds="${1:-8}"
  rm -f "$bin/viewer.bmp" "$bin/viewer.png"
  # Watches for the server process while the viewer runs (a UA server is not one).
  [ -n "${VELMARIC_UA_ENDPOINT:-}" ] || ( for _ in $(seq $((seconds * 4 + 40))); do
      cmdline=$(grep -l -a 'VelmaricOpcServer[.]exe' /proc/[0-9]*/cmdline 2>/dev/null | head -n1) || true
      if [ -n "$cmdline" ]; then
        echo "OPC AE server process: $(tr '\0' ' ' <"$cmdline" 2>/dev/null)"
        break
      fi
      sleep 0.25
    done ) &
  watcher=$!
  [ -n "${VELMARIC_UA_ENDPOINT:-}" ] && watcher=
  "${run[@]}" --timeout $((seconds + 60)) "$bin/VelmaricAEView.exe" --seconds "$seconds" \
    --screenshot "$winbin\\viewer.bmp"
  [ -n "$watcher" ] && { wait "$watcher" 2>/dev/null || true; }
  if [ -f "$bin/viewer.bmp" ]; then
    convert "$bin/viewer.bmp" -alpha off "$bin/viewer.png" && echo "screenshot: $bin/viewer.png"
  fi
fi
