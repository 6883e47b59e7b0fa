#!/usr/bin/env bash
# Writes the bus servers that the program connects at launch into its settings file under the
# given configuration folder, the way the program itself stores them.
#   scripts/configure-servers.sh CONFIGDIR HOST PORT [HOST PORT]...
# The settings tool is taken from the build folder "build" (or $KESTOR_BUILD_DIR).
set -euo pipefail
if [ $# -lt 3 ] || [ $(( ($# - 1) % 2 )) -ne 0 ]; then
  echo "usage: $0 CONFIGDIR HOST PORT [HOST PORT]..." >&2
  exit 2
fi
CONFIG=$1
shift
BUILD=${KESTOR_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}
servers=()
while [ $# -ge 2 ]; do
  servers+=("$1:$2")
  shift 2
done
mkdir -p "$CONFIG"
XDG_CONFIG_HOME="$CONFIG" "$BUILD/tools/settings/kestor-settings" servers "${servers[@]}" >/dev/null
