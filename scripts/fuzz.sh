#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour
# sanitizers) in build/fuzz and runs each for SECONDS (default 30): first over
# its regression inputs (tests/fuzz/regressions/TARGET), then fuzzing from a
# scratch copy of its seed corpus (tests/fuzz/corpus/TARGET), so the
# repository's corpus never grows by itself. Exits non-zero on any finding;
# the input is kept under build/fuzz/artifacts/TARGET/ and the log under
# build/fuzz/logs/.
#   fuzz.sh [SECONDS] [TARGET...]   targets: prop_stream prop_bag paint menu_find pages scenario sort ua_decode ua_messages
set -uo pipefail
cd "$(dirname "$0")/.."
all=(prop_stream prop_bag paint menu_find pages scenario sort ua_decode ua_messages)

seconds=30
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
for t in "${targets[@]}"; do
  if [[ ! " ${all[*]} " =~ " $t " ]]; then
    echo "fuzz: unknown target '$t' (targets: ${all[*]})" >&2
    exit 2
  fi
done

bash scripts/setup.sh || exit 1
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DVELMARIC_FUZZ=ON >/dev/null || exit 1
cmake --build build/fuzz -j2 --target "${targets[@]/%/_fuzz}" || exit 1

logs=build/fuzz/logs
mkdir -p "$logs"
# Undefined behaviour ends the run (the build does not recover from it);
# the stack shows where. Short allocation stacks: recording them dominates
# the allocation-heavy targets, and a finding's input can be rerun in full.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=4}"

status=0
summary=()
for t in "${targets[@]}"; do
  bin=build/fuzz/tests/fuzz/${t}_fuzz
  artifacts=build/fuzz/artifacts/$t
  mkdir -p "$artifacts"
  log=$logs/$t.log
  : >"$log"

  # Every regression input, once each.
  regressions=()
  [ -d "tests/fuzz/regressions/$t" ] && mapfile -t regressions < <(find "tests/fuzz/regressions/$t" -type f | sort)
  if [ ${#regressions[@]} -gt 0 ]; then
    if ! "$bin" -artifact_prefix="$artifacts/" "${regressions[@]}" >>"$log" 2>&1; then
      echo "fuzz: $t FAILS on a regression input; see $log" >&2
      status=1
      summary+=("$t: regression input fails")
      continue
    fi
  fi

  scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmaric-fuzz-$t.XXXXXX")
  [ -d "tests/fuzz/corpus/$t" ] && cp -r "tests/fuzz/corpus/$t/." "$scratch/"
  echo "fuzz: $t for ${seconds}s (${#regressions[@]} regression inputs, $(ls "$scratch" | wc -l) seeds)"
  "$bin" "$scratch" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" >>"$log" 2>&1
  rc=$?
  corpus=$(ls "$scratch" | wc -l)
  rm -rf "$scratch"

  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  if [ $rc -ne 0 ]; then
    status=1
    summary+=("$t: FINDING (exit $rc); input in $artifacts/, log $log")
    grep -E 'ERROR|runtime error|fuzz check failed|SUMMARY' "$log" | head -5 >&2
  else
    summary+=("$t: ${execs:-?} executions, ${rate:-?} exec/s, ${cov:-no coverage line}, corpus $corpus")
  fi
done

echo "fuzz summary (${seconds}s per target):"
printf '  %s\n' "${summary[@]}"
exit $status
