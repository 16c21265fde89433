#!/usr/bin/env bash
# Runs every fuzz target in a build folder for a bounded time and reports the
# executions each one ran. Corpora are kept in fuzz-corpus/ between runs.
set -euo pipefail
build=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
for fuzzer in "$build"/tests/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer")
  corpus="$root/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/seeds/$name"
  echo "== $name: $seconds s"
  "$fuzzer" "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) -max_total_time="$seconds" \
    -print_final_stats=1 -timeout=20 2>"$build/$name.log" || { tail -40 "$build/$name.log"; exit 1; }
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$build/$name.log" || true
done
