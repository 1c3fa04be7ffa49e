#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#  1. the Release build (with the benchmarks) and its tests;
#  2. a build with AddressSanitizer and UndefinedBehaviorSanitizer and its tests;
#  3. the tests of the threaded loading and saving, built with ThreadSanitizer;
#  4. the libFuzzer targets, each run briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# A compiler cache makes a second run on the same machine quick. Paths are taken relative to
# this checkout and the build folder is left out of the key, so every clone of the repository
# shares the cache (debug information may then name another clone's folder).
launcher=()
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}"
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" | tee ctest.log)

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOMIX_SANITIZE=ON \
      -DPOMIX_BENCHMARKS=OFF "${launcher[@]}"
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" | tee ctest.log)

# Only the tests whose code runs on several threads: the rest gains nothing from it. The
# reads and writes run on threads of the program's own and hand back through a mutex and an
# eventfd, which the sanitizer follows (Qt is not built with it).
# The sync's worker and outcome run here too. Qt's own threads touching its own objects are
# left out (scripts/tsan.supp).
tsan_tests=(background_file_tests app_load_save_test app_sync_window_test)
tsan_supp=$PWD/scripts/tsan.supp
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOMIX_TSAN=ON \
      -DPOMIX_BENCHMARKS=OFF "${launcher[@]}"
cmake --build build-tsan -j "$jobs" --target "${tsan_tests[@]}"
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$tsan_supp" \
     ctest --output-on-failure -j "$jobs" -R '^(BackgroundFile\.|app_load_save_test$|app_sync_window_test$)' | tee ctest.log)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DPOMIX_FUZZ=ON -DPOMIX_WITH_QT=OFF -DPOMIX_TESTS=OFF -DPOMIX_BENCHMARKS=OFF "${launcher[@]}"
cmake --build build-fuzz -j "$jobs"
bash scripts/fuzz.sh build-fuzz 20

# One closing line over both test runs (the fuzz runs above stop the script on a finding).
total=0 failed=0 skipped=0
for log in build/ctest.log build-asan/ctest.log build-tsan/ctest.log; do
    read -r f t < <(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log")
    total=$((total + t)) failed=$((failed + f))
    skipped=$((skipped + $(grep -c '(Skipped)$' "$log" || true)))
done
echo "Tests: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
