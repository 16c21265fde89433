#!/usr/bin/env bash
# Runs the benchmarks of a build folder.
set -euo pipefail
build=${1:-build}
"$build/bench/message_text_bench" --benchmark_counters_tabular=true
echo
echo "Listing through the window against Dovecot (real time; the 250 ms poll sets the floor):"
"$build/bench/listing_bench"
