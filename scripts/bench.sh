#!/usr/bin/env bash
# Every figure of the README's performance table in one run: builds build-bench as the README says
# (Release), then runs each row's command from build-bench/bench/ and writes what they print, with
# the machine, the build and the load average before each command, to a log (by default
# build-bench/bench-<date>.log). The update and Base64 benchmarks run with their peers in the same
# process, pinned to the same cores (BENCH_CPUS, default 0-3; empty: unpinned), their repetitions
# interleaved; every benchmark gives medians of BENCH_REPETITIONS (5). Usage: scripts/bench.sh [LOG]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$PWD/build-bench
LOG=${1:-$BUILD/bench-$(date -u +%Y%m%dT%H%M%SZ).log}
CPUS=${BENCH_CPUS-0-3}
REPETITIONS=${BENCH_REPETITIONS:-5}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j4
mkdir -p "$(dirname "$LOG")"
: >"$LOG"
echo "Writing $LOG"

note() { echo "$*" | tee -a "$LOG"; }
# run [pinned] COMMAND...: the command from build-bench/bench/, pinned to BENCH_CPUS when asked.
run() {
  local pin=()
  if [[ $1 == pinned ]]; then
    shift
    [[ -n $CPUS ]] && pin=(taskset -c "$CPUS")
  fi
  note ""
  note "### $* ${pin[*]:+(pinned to cores $CPUS)}"
  note "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
  (cd "$BUILD/bench" && "${pin[@]}" "$@") 2>&1 | tee -a "$LOG" || note "(exit status ${PIPESTATUS[0]})"
}
medians=(--benchmark_repetitions="$REPETITIONS" --benchmark_report_aggregates_only=true)
# A figure and its peer: their repetitions interleaved, so a change of load meets both alike.
beside=("${medians[@]}" --benchmark_enable_random_interleaving=true)

note "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
note "commit: $(git rev-parse --short HEAD)$(git diff --quiet HEAD || echo ' (with changes)')"
note "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), $(free -g | awk '/^Mem:/ {print $2}') GiB"
note "system: $(sed -n 's/^PRETTY_NAME=//p' /etc/os-release | tr -d '"'), $("$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$BUILD/CMakeCache.txt")" --version | head -1)"
note "build: $(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$BUILD/CMakeCache.txt") ($BUILD)"

run pinned framework/framework_bench --benchmark_filter=Updates "${beside[@]}"
run pinned framework/framework_bench --benchmark_filter=Base64 "${beside[@]}"
run pinned client/bench_client "${beside[@]}"
run image/bench_image --benchmark_filter=Mono "${medians[@]}"
run load/bench_load
run skymap-positions/bench_skymap_positions "${medians[@]}"
run skymap-paint/bench_skymap_paint "${medians[@]}"
run widgets/bench_widgets "${medians[@]}"
run panel/bench_panel "${medians[@]}"
run framework/framework_bench --benchmark_filter=Memory
note ""
note "done: $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
