#!/usr/bin/env bash
# Fails when a tracked C or C++ file differs from .clang-format's style (the generated catalogue
# tables left out). To fix: clang-format -i FILE...
#   scripts/check-format.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
git ls-files '*.c' '*.cpp' '*.h' | grep -v -E '^src/catalog/(StarCatalog|MilkyWayOutline|DsoCatalog|Figures)\.cpp$' |
  xargs clang-format --dry-run -Werror
