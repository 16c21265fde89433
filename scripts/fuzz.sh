#!/usr/bin/env bash
# Runs the conversation fuzzer of a build folder for a bounded time, one
# worker per core, and reports the inputs it ran, how many a second, and the
# code edges they reached.
# It starts from tests/fuzz/seeds/ (whole conversations with real servers,
# and a few hostile ones: from nothing, few inputs get past the greeting) and
# the corpus kept in fuzz-corpus/ between runs; what a crash leaves, and the
# workers' scratch files, stay in the build folder. libFuzzer's plain
# schedule: on targets this small the entropic one's bookkeeping takes a third
# of the time, and a fuzzer that runs more inputs finds more. ASan keeps no
# stack of each allocation, which costs a tenth of the time; a report still
# shows where the bad access happened.   fuzz.sh BUILD [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-120}
root=$(cd "$(dirname "$0")/.." && pwd)
export TMPDIR=$build/fuzz-tmp ASAN_OPTIONS=malloc_context_size=0
mkdir -p "$TMPDIR"
name=conversation_fuzzer
corpus="$root/fuzz-corpus/$name"
mkdir -p "$corpus"
echo "== $name: $seconds s on $(nproc) cores"
"$build/tests/fuzz/$name" "$corpus" "$root/tests/fuzz/seeds/$name" -fork="$(nproc)" -max_total_time="$seconds" \
  -timeout=20 -entropic=0 -artifact_prefix="$build/$name-" 2>"$build/$name.log" ||
  { tail -40 "$build/$name.log"; exit 1; }
# The fork mode's last report: "#RUNS: cov: EDGES ... time: SECONDSs ...".
awk '/^#[0-9]+: cov:/ { runs = substr($1, 2) + 0; cov = $3; for (i = 1; i < NF; i++) if ($i == "time:") t = $(i + 1) + 0 }
  END { printf "inputs run: %d in %d s, %d a second; code edges reached: %d\n", runs, t, t ? runs / t : 0, cov }' "$build/$name.log"
