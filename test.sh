#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
JOBS=$(nproc)

# Fuzz targets: built with clang and run for a bounded time over their seed corpora.
if command -v clang++ >/dev/null 2>&1; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKESTOR_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j "$JOBS" --target fuzz_all
  ctest --test-dir build-fuzz -L fuzz --output-on-failure -j "$JOBS"
fi

cmake -S . -B build -G Ninja -DKESTOR_WERROR=ON >/dev/null
cmake --build build -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build -LE fuzz --output-on-failure -j "$JOBS" --timeout 600
