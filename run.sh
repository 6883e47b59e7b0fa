#!/usr/bin/env bash
# Installs what is missing, builds the program, starts the bus simulators (telescope, CCD and
# guider) on a local server and opens the program, with the user's own settings, on it.
#   ./run.sh [PORT]   the simulators' port: the bus's usual 7624 unless given
# The simulators keep their state in a temporary folder removed at the end; the program's
# settings are the user's own, and every run adds the simulators' server to the user's list of
# servers when it is not there (also after the user removed it), the other servers staying as
# they are. The build folder is "build" (or $KESTOR_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")"
PORT=${1:-7624}
if [ $# -gt 1 ] || ! [[ $PORT =~ ^[0-9]+$ ]] || [ "$PORT" -lt 1 ] || [ "$PORT" -gt 65535 ]; then
  echo "usage: $0 [PORT]" >&2
  exit 2
fi
BUILD=${KESTOR_BUILD_DIR:-build}

scripts/install-deps.sh
[ -f "$BUILD/CMakeCache.txt" ] || cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target kestor-panel kestor-settings

answers() { (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; }
if answers; then
  echo "Port $PORT is taken (by another server?); give a free one: $0 PORT" >&2
  exit 1
fi

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/kestor-run.XXXXXX")
SERVER=""
stop() {
  if [ -n "$SERVER" ]; then
    kill "$SERVER" 2>/dev/null || true
    wait "$SERVER" 2>/dev/null || true  # a killed server's status is not ours
  fi
  rm -rf "$SCRATCH"
}
trap stop EXIT
mkfifo "$SCRATCH/indi.fifo"  # indiserver opens it for starting and stopping drivers
HOME="$SCRATCH" indiserver -p "$PORT" -u "$SCRATCH/indiserver.sock" -f "$SCRATCH/indi.fifo" \
  indi_simulator_telescope indi_simulator_ccd indi_simulator_guide >"$SCRATCH/indiserver.log" 2>&1 &
SERVER=$!
for _ in $(seq 50); do
  answers && break
  sleep 0.1
done
if ! answers; then
  cat "$SCRATCH/indiserver.log" >&2
  echo "The simulator server did not start on port $PORT" >&2
  exit 1
fi
echo "Simulator server on 127.0.0.1:$PORT (log: $SCRATCH/indiserver.log)"

KESTOR_BUILD_DIR="$BUILD" scripts/configure-servers.sh 127.0.0.1 "$PORT"
"$BUILD/src/app/kestor-panel"
