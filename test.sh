#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest: the fuzz targets for a
# bounded time, the threaded libraries' tests under ThreadSanitizer, then the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
JOBS=$(nproc)
# Most tests spend their time waiting on servers, drivers and sockets: twice as many at once as
# there are cores keep the cores busy (the load runs, timed, run alone: RUN_SERIAL). The fuzz
# targets use their core all the time and run one per core.
TEST_JOBS=$((2 * JOBS))
# Optimised builds without debug information: they build faster, and the tests need no debugger.
FAST=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG")
# The fuzz and ThreadSanitizer builds precompile the headers most files include
# (cmake/KestorPrecompile.cmake): half the time with clang, a sixth less with GCC. The build with
# warnings as errors does not: GCC 12 raises false alarms with a precompiled header that it does
# not raise without one, so those warnings are off wherever one is used.
PCH=-DKESTOR_PCH=ON

# Fuzz targets: built with clang and run for a bounded time over their seed corpora.
if command -v clang++ >/dev/null 2>&1; then
  cmake -S . -B build-fuzz -G Ninja "${FAST[@]}" $PCH -DKESTOR_FUZZ_SECONDS="${KESTOR_FUZZ_SECONDS:-20}" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKESTOR_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j "$JOBS" --target fuzz_all
  ctest --test-dir build-fuzz -L fuzz --output-on-failure -j "$JOBS"
  # KESTOR_SANITIZE_ALL=1: the whole suite as well, under the address and undefined-behaviour
  # sanitizers the fuzz build puts in every library (about 6 more minutes on 2 cores). Leaks are
  # left to the fuzzers: the program keeps some objects for its whole life on purpose.
  if [ "${KESTOR_SANITIZE_ALL:-0}" = 1 ]; then
    cmake --build build-fuzz -j "$JOBS" --target tests/all
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
      ctest --test-dir build-fuzz/tests -LE 'load|gui' --output-on-failure -j "$JOBS" --timeout 600
  fi
fi

export QT_QPA_PLATFORM=offscreen

# The threaded libraries' tests under ThreadSanitizer: bus library, in-process server, dispatch,
# client object and the end-to-end runs without windows (the load runs' goals are for optimised builds).
# Only what those tests link is built: no windows (KESTOR_GUI_TESTS=OFF), -O1 and line tables alone
# (-g1), which compile in about two thirds of the time of -O2 -g and still give each report's files
# and lines.
cmake -S . -B build-tsan -G Ninja $PCH -DKESTOR_SANITIZE=thread -DKESTOR_GUI_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" >/dev/null
TSAN_GROUPS="framework server core kestor e2e"
cmake --build build-tsan -j "$JOBS" --target $(printf 'tests/%s/all ' $TSAN_GROUPS)
for group in $TSAN_GROUPS; do
  TSAN_OPTIONS="die_after_fork=0:suppressions=$PWD/tests/sanitizers/tsan-suppressions.txt" \
    ctest --test-dir "build-tsan/tests/$group" -LE 'load|gui' --output-on-failure -j "$TEST_JOBS" --timeout 600
done

# The whole suite, warnings as errors.
cmake -S . -B build -G Ninja "${FAST[@]}" -DKESTOR_WERROR=ON >/dev/null
cmake --build build -j "$JOBS"
ctest --test-dir build -LE fuzz --output-on-failure -j "$TEST_JOBS" --timeout 600
