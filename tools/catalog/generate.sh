#!/usr/bin/env bash
# Regenerates the compiled-in sky catalogues in src/catalog/ from the data of the d3-celestial
# package (BSD-3-Clause, (c) 2015 Olaf Frohn). The package is fetched into a scratch folder with
# npm and removed afterwards; nothing of it is committed but the generated tables and its notice.
#
#   tools/catalog/generate.sh            # writes src/catalog/*.cpp and the licence notice
set -euo pipefail
VERSION=0.7.35
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../../src/catalog"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && npm pack --silent "d3-celestial@$VERSION" >/dev/null && tar xzf "d3-celestial-$VERSION.tgz")
node "$here/generate.mjs" "$scratch/package" "$out" "$VERSION"
