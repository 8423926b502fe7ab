#!/usr/bin/env bash
# Tests across the two word sizes, for a machine that runs both (test.sh runs
# it there). Everything runs in the x64 tree's 64-bit Wine prefix, whose WoW64
# runs the x86 programs beside the x64 ones:
#  - a property set saved by each build loads in the other (stream and bag);
#  - the x64 WTclient.dll against the x86 OPC AE server across the process
#    boundary, and the x86 one against the x64 server, with the proxies of
#    both word sizes registered.
# Needs build/win32 and build/win64 built (build.sh windows).
set -uo pipefail
cd "$(dirname "$0")/.."
w32="$PWD/build/win32"; w64="$PWD/build/win64"
for t in "$w32" "$w64"; do
  [ -f "$t/Velmaric AE.ocx" ] || { echo "cross-test: $t is not built (scripts/build.sh windows)" >&2; exit 1; }
done
run=(scripts/wine-run.sh --arch win64 --prefix "$w64/wineprefix")
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
status=0
step() {  # step NAME command...
  echo "cross-test: $1"
  shift
  "$@" || { echo "cross-test: FAILED"; status=1; }
}

forms=$(mktemp -d)
mkdir -p "$forms/x86" "$forms/x64"
golden=tests/wine/control/persist_golden_test.exe
step "x86 saves the property set" env VELMARIC_BIN="$w32" VELMARIC_PERSIST_OUT="$(winpath "$forms/x86")" \
  "${run[@]}" "$w32/$golden" --gtest_filter='*CrossLoad*'
step "x64 loads it and saves its own" env VELMARIC_BIN="$w64" VELMARIC_PERSIST_OUT="$(winpath "$forms/x64")" \
  VELMARIC_PERSIST_IN="$(winpath "$forms/x86")" "${run[@]}" "$w64/$golden" --gtest_filter='*CrossLoad*'
step "x86 loads the x64 set" env VELMARIC_BIN="$w32" VELMARIC_PERSIST_IN="$(winpath "$forms/x64")" \
  "${run[@]}" "$w32/$golden" --gtest_filter='*CrossLoad*'
rm -rf "$forms"

# Each word size's proxies in its own view; the ProgID in both views.
step "register the x64 proxies" "${run[@]}" --timeout 60 regsvr32 /s "$(winpath "$w64/VelmaricOpcAEps.dll")"
step "register the x86 proxies" "${run[@]}" --timeout 60 'C:\windows\syswow64\regsvr32.exe' /s \
  "$(winpath "$w32/VelmaricOpcAEps.dll")"
step "register the x64 server" "${run[@]}" --timeout 60 "$w64/VelmaricOpcServer.exe" /RegServer
step "register the x86 server" "${run[@]}" --timeout 60 "$w32/VelmaricOpcServer.exe" /RegServer
client=tests/wine/wtclient/wtclient_com_server_test.exe
filter='ComRealServer.ScenarioEvents*:ComRealServer.Refresh*:ComRealServer.TwoConnections*'
step "x64 client, x86 server" env VELMARIC_BIN="$w64" VELMARIC_OPC_SERVER_EXE="$w32/VelmaricOpcServer.exe" \
  "${run[@]}" --timeout 120 "$w64/$client" --gtest_filter="$filter"
step "x86 client, x64 server" env VELMARIC_BIN="$w32" VELMARIC_OPC_SERVER_EXE="$w64/VelmaricOpcServer.exe" \
  "${run[@]}" --timeout 120 "$w32/$client" --gtest_filter="$filter"
# The prefix ends as the x64 tests expect it: the x64 server registered.
"${run[@]}" --timeout 60 "$w32/VelmaricOpcServer.exe" /UnregServer >/dev/null 2>&1
"${run[@]}" --timeout 60 "$w64/VelmaricOpcServer.exe" /RegServer >/dev/null 2>&1

[ $status = 0 ] && echo "cross-test: all passed" || echo "cross-test: some failed"
exit $status
