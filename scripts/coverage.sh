#!/usr/bin/env bash
# Line coverage of framework/ and src/ (the generated catalogue tables left out) over the whole
# suite: a coverage build in build-coverage, every test but the fuzz targets and the load runs,
# then gcovr's total and one line per folder. Usage: scripts/coverage.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$ROOT/build-coverage
command -v gcovr >/dev/null || scripts/install-deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTOR_COVERAGE=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
find "$BUILD" -name '*.gcda' -delete
# Counters of objects no target builds any more (files moved or renamed since the folder was made)
# would be merged with the current ones: keep only those of the current objects.
ninja -C "$BUILD" -t targets all | sed -n 's/\.o: .*/.gcno/p' | sed "s|^|$BUILD/|" | sort >"$BUILD/current-gcno.txt"
find "$BUILD" -name '*.gcno' | sort | comm -23 - "$BUILD/current-gcno.txt" | xargs -r rm -f
QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD" -LE 'fuzz|load' -j "$(nproc)" --timeout 600 "$@" >"$BUILD/coverage-ctest.log" ||
  { tail -20 "$BUILD/coverage-ctest.log"; exit 1; }
GENERATED="$ROOT/src/catalog/(StarCatalog|MilkyWayOutline|DsoCatalog|Figures)\.cpp"
# gcovr runs gcov in its working folder and may leave the .gcov files there: run it inside the build.
(cd "$BUILD" && gcovr --root "$ROOT" --gcov-ignore-parse-errors --filter "$ROOT/framework/" --filter "$ROOT/src/" \
  --exclude "$GENERATED" --json "$BUILD/coverage.json" --print-summary "$BUILD" | tail -3)
# One line per folder: lines covered of lines counted.
python3 - "$BUILD/coverage.json" "$ROOT" <<'PY'
import json, os, sys, collections
data = json.load(open(sys.argv[1]))
folders = collections.defaultdict(lambda: [0, 0])
for f in data["files"]:
    name = os.path.relpath(f["file"], sys.argv[2]) if os.path.isabs(f["file"]) else f["file"]
    parts = name.split("/")
    folder = "/".join(parts[:2]) if parts[0] == "src" else parts[0]
    for line in f["lines"]:
        if line.get("gcovr/noncode"):
            continue
        folders[folder][1] += 1
        folders[folder][0] += line["count"] > 0
for folder, (hit, total) in sorted(folders.items()):
    print(f"{folder:16} {100.0 * hit / total:5.1f} %  ({hit} of {total} lines)")
PY
