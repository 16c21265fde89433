#!/usr/bin/env bash
# Runs the benchmarks of a build folder.
set -euo pipefail
build=${1:-build}
"$build/tests/message_text_bench" --benchmark_counters_tabular=true
