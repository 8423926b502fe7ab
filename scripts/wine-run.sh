#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest and the scripts.
#   wine-run.sh [--arch win32|win64] --prefix DIR [--timeout SECONDS] program [args...]
# One prefix per build tree and word size (default win32), created once
# (guarded by flock). Debian's /usr/bin/wine runs the 32-bit loader whenever
# it is installed, so each word size calls its own loader directly: a 64-bit
# prefix needs wine64, which also runs 32-bit programs there when wine32 is
# installed too. Headless with
# Wine's null graphics driver unless VELMARIC_DISPLAY=1 and DISPLAY is set;
# a display run uses its own prefix, since one wineserver must not serve both.
# Wine's background processes are started with their output at /dev/null so
# they do not hold CTest's pipe open.
set -u
prefix="" ; tmo=300 ; arch=win32
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch="$2"; shift 2 ;;
    --prefix) prefix="$2"; shift 2 ;;
    --timeout) tmo="$2"; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine-run.sh: --prefix is required" >&2; exit 2; }
[ $# -gt 0 ] || { echo "wine-run.sh: no program given" >&2; exit 2; }
case "$arch" in
  win32) loader=/usr/lib/wine/wine ;;
  win64) loader=/usr/lib/wine/wine64 ;;
  *) echo "wine-run.sh: --arch must be win32 or win64" >&2; exit 2 ;;
esac
[ -x "$loader" ] || { echo "wine-run.sh: $loader is missing: this machine cannot run $arch programs" >&2; exit 2; }

headless=1
if [ "${VELMARIC_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  headless=0; prefix="$prefix-x11"
else
  unset DISPLAY
fi
export WINEPREFIX="$prefix" WINEARCH="$arch" WINELOADER="$loader" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.velmaric-ready" ]; then
    rm -rf "$prefix"
    "$loader" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    if [ $headless = 1 ]; then
      "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&-
    else
      "$loader" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 9>&-
      "$loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1 9>&-
    fi
    fonts="$prefix/drive_c/windows/Fonts"; mkdir -p "$fonts"
    for f in /usr/share/wine/fonts/*; do [ -e "$f" ] && ln -sf "$f" "$fonts/"; done
    wineserver -w </dev/null >/dev/null 2>&1 9>&-
    touch "$prefix/.velmaric-ready"
  fi
  # Warm start: a detached wineserver and the desktop processes.
  wineserver </dev/null >/dev/null 2>&1 9>&-
  "$loader" cmd /c exit </dev/null >/dev/null 2>&1 9>&-
) 9>"$prefix.lock"

exec timeout -k 5 "$tmo" "$loader" "$@"
