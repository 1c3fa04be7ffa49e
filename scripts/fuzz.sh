#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for the given seconds each, from its seed corpus.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=$2
shopt -s nullglob
for fuzzer in "$build"/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="$build/fuzz/corpus-$name"
    mkdir -p "$corpus"
    seeds="fuzz/seeds/$name"
    args=("$corpus")
    [ -d "$seeds" ] && args+=("$seeds")
    echo "fuzzing $name for $seconds s"
    "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        "${args[@]}" 2>&1 | tail -n 4
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$name found a fault"; exit 1; }
done
