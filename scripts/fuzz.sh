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
    log="$build/fuzz/$name.log"
    status=0
    "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz/$name-" "${args[@]}" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        # The report and the input that caused it (its bytes and Base64 are in the report);
        # the recommended-dictionary lines in between say nothing about the fault.
        echo "$name found a fault (exit $status):"
        grep -v '^"' "$log" | tail -n 60
        exit 1
    fi
    grep '^stat::' "$log" | tail -n 4
done
