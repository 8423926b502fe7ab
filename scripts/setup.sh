#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Quick when all is present.
# Both Windows word sizes are built everywhere; 32-bit Wine is installed only
# where the kernel runs 32-bit programs (see word-sizes.sh). A package index
# that fails to refresh (a mirror mid-sync) does not stop the install; only a
# failed install does, with the package and the reason in one line.
set -uo pipefail
cd "$(dirname "$0")/.."
pkgs=(cmake make g++ googletest libgtest-dev libbenchmark-dev g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      mingw-w64-tools libwine-dev wine wine64 fonts-wine xvfb xauth imagemagick clang libclang-rt-14-dev)
# The UA alarm test peer runs on node; a node from elsewhere (nvm, a tarball) is fine too.
command -v node >/dev/null 2>&1 || pkgs+=(nodejs npm)
. scripts/word-sizes.sh
want32=$VELMARIC_KERNEL_RUNS_32BIT
sudo=""; [ "$(id -u)" = 0 ] || sudo="sudo"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${pkgs[@]}"; do installed "$p" || missing+=("$p"); done
missing32=()
[ $want32 = 1 ] && ! installed wine32:i386 && missing32+=(wine32:i386)
# The UA test peer's node_modules, (re)installed when missing or older than its lockfile. Without the
# npm registry the UA peer tests skip themselves, so this never fails the setup.
ua_peer() {
  local dir=tests/peers/ua-alarm-server log
  [ -d "$dir/node_modules" ] && [ ! "$dir/package-lock.json" -nt "$dir/node_modules" ] && return 0
  if ! command -v npm >/dev/null 2>&1; then
    echo "setup: npm is not installed: the UA peer tests will be skipped"
    return 0
  fi
  if log=$(cd "$dir" && npm ci --no-audit --no-fund 2>&1); then
    touch "$dir/node_modules"
  else
    rm -rf "$dir/node_modules"  # a half install would look current next time
    echo "setup: npm ci in $dir failed ($(echo "$log" | grep -m1 -iE 'ERR|error' | cut -c1-160)): the UA peer tests will be skipped"
  fi
}
[ ${#missing[@]} -eq 0 ] && [ ${#missing32[@]} -eq 0 ] && { ua_peer; exit 0; }

echo "setup: installing ${missing[*]} ${missing32[*]}"
[ ${#missing32[@]} -gt 0 ] && $sudo dpkg --add-architecture i386
if ! $sudo apt-get update -q >/tmp/velmaric-apt-update.log 2>&1; then
  echo "setup: some package indexes did not refresh ($(grep -m1 '^E:' /tmp/velmaric-apt-update.log | cut -c1-160)); going on with what is there"
fi
install() {
  local log
  log=$(DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@" 2>&1) && return 0
  echo "$log" | tail -n 20 >&2
  echo "setup: installing $* failed: $(echo "$log" | grep -m1 -E '^E:|Depends:' | sed 's/^ *//' | cut -c1-200)"
  return 1
}
if [ ${#missing[@]} -gt 0 ]; then
  install "${missing[@]}" || exit 1
fi
if [ ${#missing32[@]} -gt 0 ]; then
  # The x86 Windows tests need it; without it they are reported as not run.
  install "${missing32[@]}" || echo "setup: going on without 32-bit Wine: only the x64 Windows tests will run"
fi
ua_peer
exit 0
