#!/usr/bin/env bash
# Runs a VBScript under Wine's cscript. cscript exits 0 even when the script
# fails, so the script passes only when its last line is "ALL PASSED".
#   run_script.sh WINE_RUN PREFIX SCRIPT
set -u
wine_run="$1"; prefix="$2"; script="$3"
winpath="Z:$(echo "$script" | tr / '\\')"
out=$("$wine_run" --prefix "$prefix" --timeout 60 cscript //nologo "$winpath" 2>&1)
code=$?
printf '%s\n' "$out"
last=$(printf '%s\n' "$out" | tr -d '\r' | sed '/^$/d' | tail -n 1)
[ $code -eq 0 ] && [ "$last" = "ALL PASSED" ]
