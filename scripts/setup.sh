#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Quick when all is present.
set -euo pipefail
pkgs=(cmake make g++ googletest libgtest-dev libbenchmark-dev g++-mingw-w64-i686-posix
      mingw-w64-tools libwine-dev wine wine32:i386 fonts-wine xvfb xauth imagemagick
      clang libclang-rt-14-dev)
sudo=""; [ "$(id -u)" = 0 ] || sudo="sudo"
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
