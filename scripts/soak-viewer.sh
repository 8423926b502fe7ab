#!/usr/bin/env bash
# Soak under Wine (not part of the tests): the viewer hosts the registered
# control, connected to our simulated server scripted to send 100 events
# every 250 ms (400 a second), for SECONDS (default 300). The viewer prints
# its memory, handle count and GDI/USER object counts at the start, every 30 s
# and at the end; this script shows them and what changed.
#   soak-viewer.sh [SECONDS]
# The word size is x86 where this machine runs 32-bit code, x64 elsewhere
# (VELMARIC_WORD_SIZE=win32|win64 picks one). The Windows tree is
# build/soak-win32 or build/soak-win64 (VELMARIC_SOAK_TREE picks another);
# it is configured and built when needed, with a Wine prefix of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-300}"
bash scripts/setup.sh
. scripts/word-sizes.sh
arch="${VELMARIC_WORD_SIZE:-}"
[ -n "$arch" ] || { [ "$VELMARIC_RUNS_WIN32" = 1 ] && arch=win32 || arch=win64; }
echo "soak: $arch"
toolchain=cmake/mingw-i686-posix.cmake
[ "$arch" = win64 ] && toolchain=cmake/mingw-x86_64-posix.cmake
tree="$PWD/${VELMARIC_SOAK_TREE:-build/soak-$arch}"
[ -f "$tree/CMakeCache.txt" ] ||
  cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" >/dev/null
cmake --build "$tree" -j2 --target velmaric_ocx wtclient VelmaricAEView
unset DISPLAY VELMARIC_DISPLAY  # headless, on the tree's own prefix
run=(scripts/wine-run.sh --arch "$arch" --prefix "$tree/wineprefix")
wintree="Z:$(echo "$tree" | tr / '\\')"
"${run[@]}" --timeout 60 regsvr32 /s "$wintree\\Velmaric AE.ocx"

# 100 events, then 250 ms, again and again.
scenario="$tree/soak-scenario.txt"
{
  echo "category 1 0x104 Process message"
  echo "category 1 0x103 Acknowledgement"
  echo "category 1 0x101 Reset"
  echo "category 1 0x410 Level alarm"
  sources=(Area1.Boiler.TI101 Area1.Boiler.LI103 Area2.Turbine.XV204 Area3.Cooling.M304 Area4.Feed.FI401)
  categories=(0x104 0x410 0x104 0x103 0x101)
  for i in $(seq 0 99); do
    k=$((i % 5))
    echo "event now ${categories[$k]} $(( (i * 37) % 1000 + 1 )) ${sources[$k]} Soak event $i: value $((i * 7 % 113))"
  done
  echo "wait 250"
  echo "loop"
} >"$scenario"

log="$tree/soak-viewer.log"
echo "soak: $seconds s at 400 notifications a second; log $log"
WTCLIENT_SIM_SCENARIO="$scenario" "${run[@]}" --timeout $((seconds + 120)) "$tree/VelmaricAEView.exe" \
  --seconds "$seconds" --report-resources 30 --settings "$wintree\\soak.settings" | sed -u 's/\r$//' | tee "$log" |
  grep --line-buffered -E '^(resources|ConnectOpc|NewEvent notifications)'

# Start, one minute in (the list is full by then: 20000 rows at 400 a second
# take 50 s), and the end. Under Wine GetProcessHandleCount and GetGuiResources
# answer 0: the handles as listed by the system and the GDI objects in Wine's
# handle table are shown beside them.
awk '
  /^resources / {
    for (i = 3; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] + 0 }
    t = v["t"]
    row = sprintf("%5ds %8d %9d %10d %7d %7d %5d %5d %5d", t, v["events"], v["pagefile"], v["workingset"],
                  v["handles"], v["handles-listed"], v["gdi"], v["gdi-wine"], v["user"])
    if (!started) { first = row; for (k in v) s[k] = v[k]; started = 1 }
    if (!warm && t >= 60) { warmrow = row; for (k in v) w[k] = v[k]; warm = 1 }
    last = row; for (k in v) e[k] = v[k]
  }
  function change(label, a, b) {
    printf "%s pagefile %+d KB, workingset %+d KB, handles listed %+d, gdi (Wine table) %+d\n", label,
           b["pagefile"] - a["pagefile"], b["workingset"] - a["workingset"],
           b["handles-listed"] - a["handles-listed"], b["gdi-wine"] - a["gdi-wine"]
  }
  END {
    if (!started) { print "soak: the viewer printed no resource figures"; exit 1 }
    printf "%6s %8s %9s %10s %7s %7s %5s %5s %5s\n", "time", "events", "pagefile", "workingset",
           "handles", "listed", "gdi", "wine", "user"
    print first; if (warm) print warmrow; print last
    change("whole run:     ", s, e)
    if (warm) change("after 1 minute:", w, e)
  }' "$log"
