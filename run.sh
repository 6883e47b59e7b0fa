#!/usr/bin/env bash
# Installs what is missing, builds, starts a local simulator bus server and opens the program on it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"

SCRATCH=$(mktemp -d /tmp/kestor-run.XXXXXX)
PORT=$(scripts/free-port.sh)
mkfifo "$SCRATCH/indi.fifo"  # indiserver opens it for starting and stopping drivers
HOME="$SCRATCH" indiserver -p "$PORT" -u "$SCRATCH/indiserver.sock" -f "$SCRATCH/indi.fifo" \
  indi_simulator_telescope indi_simulator_ccd indi_simulator_guide >"$SCRATCH/indiserver.log" 2>&1 &
SERVER=$!
trap 'kill $SERVER 2>/dev/null; wait $SERVER 2>/dev/null; rm -rf "$SCRATCH"' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null && break
  sleep 0.1
done
echo "Simulator server on 127.0.0.1:$PORT (log: $SCRATCH/indiserver.log)"

if [ -x build/src/app/kestor-panel ]; then
  XDG_CONFIG_HOME="$SCRATCH/config" scripts/configure-servers.sh "$SCRATCH/config" "127.0.0.1" "$PORT"
  XDG_CONFIG_HOME="$SCRATCH/config" build/src/app/kestor-panel "$@"
else
  build/tools/probe/kestor-probe "127.0.0.1:$PORT" "$@"
fi
