#!/usr/bin/env bash
# Runs the two fuzz targets of a build folder for a bounded time and reports the
# executions each one ran, and how many a second. Corpora are kept in
# fuzz-corpus/ between runs. libFuzzer's plain schedule: on targets this small
# the entropic one's bookkeeping takes a third of the time, and a fuzzer that
# runs more inputs finds more.
set -euo pipefail
build=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
for name in reply_fuzzer conversation_fuzzer; do
  fuzzer="$build/tests/fuzz/$name"
  corpus="$root/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/seeds/$name"
  echo "== $name: $seconds s"
  "$fuzzer" "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) -max_total_time="$seconds" \
    -print_final_stats=1 -timeout=20 -entropic=0 2>"$build/$name.log" || { tail -40 "$build/$name.log"; exit 1; }
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$build/$name.log" || true
done
