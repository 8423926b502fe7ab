#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest and the scripts.
#   wine-run.sh --prefix DIR [--timeout SECONDS] program [args...]
# One prefix per build tree, created once (guarded by flock). Headless with
# Wine's null graphics driver unless VELMARIC_DISPLAY=1 and DISPLAY is set;
# a display run uses its own prefix, since one wineserver must not serve both.
# Wine's background processes are started with their output at /dev/null so
# they do not hold CTest's pipe open.
set -u
prefix="" ; tmo=300
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2 ;;
    --timeout) tmo="$2"; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine-run.sh: --prefix is required" >&2; exit 2; }
[ $# -gt 0 ] || { echo "wine-run.sh: no program given" >&2; exit 2; }

headless=1
if [ "${VELMARIC_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  headless=0; prefix="$prefix-x11"
else
  unset DISPLAY
fi
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.velmaric-ready" ]; then
    rm -rf "$prefix"
    wineboot -i </dev/null >/dev/null 2>&1 9>&-
    if [ $headless = 1 ]; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&-
    else
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 9>&-
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1 9>&-
    fi
    fonts="$prefix/drive_c/windows/Fonts"; mkdir -p "$fonts"
    for f in /usr/share/wine/fonts/*; do [ -e "$f" ] && ln -sf "$f" "$fonts/"; done
    wineserver -w </dev/null >/dev/null 2>&1 9>&-
    touch "$prefix/.velmaric-ready"
  fi
  # Warm start: a detached wineserver and the desktop processes.
  wineserver </dev/null >/dev/null 2>&1 9>&-
  wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
) 9>"$prefix.lock"

exec timeout -k 5 "$tmo" wine "$@"
