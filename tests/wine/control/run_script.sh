#!/usr/bin/env bash
# Runs a VBScript under Wine's cscript. cscript exits 0 even when the script
# fails, so the script passes only when its last line is "ALL PASSED".
#   run_script.sh SCRIPT WINE_RUN...   (WINE_RUN: wine-run.sh with its options)
set -u
script="$1"; shift
winpath="Z:$(echo "$script" | tr / '\\')"
out=$("$@" --timeout 60 cscript //nologo "$winpath" 2>&1)
code=$?
printf '%s\n' "$out"
last=$(printf '%s\n' "$out" | tr -d '\r' | sed '/^$/d' | tail -n 1)
[ $code -eq 0 ] && [ "$last" = "ALL PASSED" ]
