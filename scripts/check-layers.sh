#!/usr/bin/env bash
# Fails when a source file includes a header of a layer that is not below its own. The layers,
# lowest first:
#   framework <- core <- image, catalog <- kestor <- skymap <- widgets <- views <- app
# image and catalog share a rank: they include neither each other nor anything above core.
#   scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$ROOT"
declare -A RANK=([framework]=0 [core]=1 [image]=2 [catalog]=2 [kestor]=3 [skymap]=4 [widgets]=5 [views]=6 [app]=7)
status=0
# Every quoted include whose path starts with a folder, as file:line:folder.
while IFS=: read -r file line target; do
  case $file in
    framework/*) layer=framework ;;
    *) layer=${file#src/}; layer=${layer%%/*} ;;
  esac
  own=${RANK[$layer]:-}
  rank=${RANK[$target]:-}
  if [ -z "$own" ]; then
    echo "$file: the folder $layer has no place in the layers (add it to $0)"
    status=1
  elif [ -n "$rank" ] && [ "$target" != "$layer" ] && [ "$rank" -ge "$own" ]; then
    echo "$file:$line: $layer includes $target, which is not below it"
    status=1
  fi
done < <(grep -rnE --include='*.c' --include='*.cpp' --include='*.h' '^\s*#\s*include\s*"[a-z]+/' framework src |
           sed -E 's|^([^:]*):([0-9]+):.*"([a-z]+)/.*|\1:\2:\3|')
[ $status -eq 0 ] && echo "every include points down the layers"
exit $status
