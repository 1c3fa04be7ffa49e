#!/usr/bin/env bash
# Long fuzzing outside CI: runs the named targets (all of a fuzz build when none is named) one
# after the other, each for MINUTES, at the lowest priority. A finding does not stop the
# session: it is logged, its input kept beside the log, and the next target runs. Afterwards
# the grown corpus of each target is minimised into fuzz/seeds/<target>.
# Usage: scripts/fuzz_long.sh BUILD_DIR MINUTES [TARGET ...]   (logs in BUILD_DIR/fuzz/long)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "$1" && pwd)
minutes=$2
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for fuzzer in "$build"/fuzz/fuzz_*; do [ -x "$fuzzer" ] && targets+=("$(basename "$fuzzer")"); done
fi
out="$build/fuzz/long"
mkdir -p "$out"
for name in "${targets[@]}"; do
    fuzzer="$build/fuzz/$name"
    corpus="$out/corpus-$name"
    mkdir -p "$corpus" "fuzz/seeds/$name"
    echo "$(date +%T) fuzzing $name for $minutes min" | tee -a "$out/summary.txt"
    (cd "$out" && nice -n 19 "$fuzzer" -max_total_time=$((minutes * 60)) -rss_limit_mb=2048 \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$name-" "$corpus" "$root/fuzz/seeds/$name" \
        >"$name.log" 2>&1)
    status=$?
    grep -E '^(stat::number_of_executed_units|Done)' "$out/$name.log" | tee -a "$out/summary.txt"
    [ $status -eq 0 ] || echo "$name: FINDING (exit $status), see $out/$name.log" | tee -a "$out/summary.txt"
    # The minimised corpus replaces the seeds: what the run learnt, without the redundant units.
    merged="$out/merged-$name"
    rm -rf "$merged" && mkdir -p "$merged"
    nice -n 19 "$fuzzer" -merge=1 -rss_limit_mb=2048 -timeout=10 "$merged" "fuzz/seeds/$name" "$corpus" \
        >"$out/$name.merge.log" 2>&1 &&
        rm -rf "fuzz/seeds/$name" && mv "$merged" "fuzz/seeds/$name"
    echo "$name: $(ls "fuzz/seeds/$name" | wc -l) seeds kept" | tee -a "$out/summary.txt"
done
