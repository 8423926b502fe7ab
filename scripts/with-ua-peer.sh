#!/usr/bin/env bash
# Runs a command next to the scripted OPC UA alarm server (tests/peers/ua-alarm-server):
#   scripts/with-ua-peer.sh [--optional] CMD ARGS...
# Starts the server, waits for its ready line and exports
#   VELMARIC_UA_ENDPOINT  its opc.tcp URL
#   VELMARIC_UA_CONTROL   127.0.0.1:PORT of its line-command control port
# then runs CMD, stops the server and exits with CMD's exit code.
# Without node or the server's node_modules (scripts/setup.sh installs them) it fails with one line,
# unless --optional: then CMD runs with VELMARIC_UA_PEER_UNAVAILABLE set to the reason (the tests skip
# themselves) and a successful CMD exits 77, which ctest reports as skipped.
# The server log goes to a temporary file; its tail is shown when the server or CMD fails.
# The server ends itself after VELMARIC_UA_PEER_LIFETIME seconds (default 1800), or as soon as this
# script is gone, so a killed run leaves nothing behind.
set -uo pipefail

optional=0
if [ "${1-}" = "--optional" ]; then
  optional=1
  shift
fi
if [ $# -eq 0 ]; then
  echo "usage: $0 [--optional] CMD ARGS..." >&2
  exit 2
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
peer="$root/tests/peers/ua-alarm-server"

unavailable=""
if ! command -v node >/dev/null 2>&1; then
  unavailable="node is not installed (run scripts/setup.sh)"
elif [ "$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)" -lt 20 ]; then
  # node-opcua 2.186 is tried here on node 20 and later; Debian 12's own nodejs is 18.
  unavailable="node $(node --version 2>/dev/null) is older than 20, which the UA peer needs"
elif [ ! -f "$peer/node_modules/node-opcua/package.json" ]; then
  unavailable="$peer/node_modules is missing (run scripts/setup.sh; it needs the npm registry)"
fi
if [ -n "$unavailable" ]; then
  if [ $optional = 0 ]; then
    echo "with-ua-peer: cannot start the UA peer: $unavailable" >&2
    exit 2
  fi
  echo "with-ua-peer: UA peer unavailable, its tests skip: $unavailable" >&2
  VELMARIC_UA_PEER_UNAVAILABLE="$unavailable" "$@"
  rc=$?
  [ $rc = 0 ] && rc=77
  exit $rc
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/velmaric-with-ua-peer.XXXXXX")"
pid=""
control=""

show_log() {
  [ -s "$work/peer.log" ] || return 0
  echo "with-ua-peer: last lines of the UA peer log:" >&2
  tail -n 20 "$work/peer.log" | sed 's/^/  /' >&2
}

stop_peer() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    # Ask for an orderly shutdown first; a server that does not go within 5 s is killed.
    if [ -n "$control" ] && exec 3<>"/dev/tcp/127.0.0.1/${control}" 2>/dev/null; then
      echo quit >&3
      read -r -t 5 _ <&3 || true
      exec 3>&-
    fi
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -TERM "$pid" 2>/dev/null && sleep 0.5
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  pid=""
}
cleanup() {
  stop_peer
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

started=$(date +%s%N)
node "$peer/server.js" --lifetime "${VELMARIC_UA_PEER_LIFETIME:-1800}" >"$work/ready" 2>"$work/peer.log" &
pid=$!

line=""
for _ in $(seq 1 300); do
  if [ -s "$work/ready" ] && line=$(head -n 1 "$work/ready") && [ "${line: -1}" = "}" ]; then
    break
  fi
  line=""
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
endpoint=$(printf '%s' "$line" | sed -n 's/.*"endpoint":"\(opc\.tcp:[^"]*\)".*/\1/p')
control=$(printf '%s' "$line" | sed -n 's/.*"control":\([0-9][0-9]*\).*/\1/p')
if [ -z "$endpoint" ] || [ -z "$control" ]; then
  if kill -0 "$pid" 2>/dev/null; then
    echo "with-ua-peer: the UA peer did not report ready within 30 s" >&2
  else
    echo "with-ua-peer: the UA peer exited before it was ready" >&2
  fi
  show_log
  exit 2
fi
echo "with-ua-peer: UA peer ready in $(( ($(date +%s%N) - started) / 1000000 )) ms at $endpoint" >&2

export VELMARIC_UA_ENDPOINT="$endpoint"
export VELMARIC_UA_CONTROL="127.0.0.1:$control"
"$@"
rc=$?
[ $rc = 0 ] || show_log
exit $rc
