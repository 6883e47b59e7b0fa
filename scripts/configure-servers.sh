#!/usr/bin/env bash
# Adds bus servers that the program connects at launch to the user's own list in its settings
# file (found the way the program finds it: under $XDG_CONFIG_HOME, else ~/.config). A server
# already in the list is not added again; the user's other servers stay as they are.
#   scripts/configure-servers.sh HOST PORT [HOST PORT]...
# The settings tool is taken from the build folder "build" (or $KESTOR_BUILD_DIR).
set -euo pipefail
if [ $# -lt 2 ] || [ $(( $# % 2 )) -ne 0 ]; then
  echo "usage: $0 HOST PORT [HOST PORT]..." >&2
  exit 2
fi
BUILD=${KESTOR_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}
servers=()
while [ $# -ge 2 ]; do
  servers+=("$1:$2")
  shift 2
done
"$BUILD/tools/settings/kestor-settings" add-servers "${servers[@]}" >/dev/null
