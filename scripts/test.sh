#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#  1. the Release build (with the benchmarks) and its tests;
#  2. a build with AddressSanitizer and UndefinedBehaviorSanitizer and its tests;
#  3. the libFuzzer targets, each run briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOMIX_SANITIZE=ON \
      -DPOMIX_BENCHMARKS=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs")

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DPOMIX_FUZZ=ON -DPOMIX_WITH_QT=OFF -DPOMIX_TESTS=OFF -DPOMIX_BENCHMARKS=OFF
cmake --build build-fuzz -j "$jobs"
bash scripts/fuzz.sh build-fuzz 20

# The closing summary of the main test run, for readers of the log.
(cd build && ctest -j "$jobs" 2>&1 | tail -n 3)
