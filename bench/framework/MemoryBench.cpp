// Resident memory around one server's life: a 400 MiB BLOB arriving (peak above the start, in
// payloads) and 150,000 distinct properties defined; both then gone with the server (what stays).
#include "support/BusMemory.h"
#include "support/ResidentMemory.h"

#include <benchmark/benchmark.h>

namespace {

void Memory(benchmark::State &state, test_support::BusScript script, size_t amount) {
  test_support::BusMemoryFigures figures;
  for (auto _ : state) figures = test_support::runBusScript(script, amount);
  if (!figures.failure.empty()) return state.SkipWithError(figures.failure.c_str());
  state.counters["peak_MiB"] = figures.peakMB - figures.beforeMB;
  state.counters["kept_MiB"] = figures.afterMB - figures.beforeMB;  // goal: <= 20
  if (script == test_support::BusScript::LargeBlob)
    state.counters["peak_payloads"] =
        (figures.peakMB - figures.beforeMB) / test_support::megabytes(int64_t(amount));  // goal: <= 1.5
}

BENCHMARK_CAPTURE(Memory, BlobOf400MiB, test_support::BusScript::LargeBlob, size_t(400) << 20)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Memory, Properties150000, test_support::BusScript::ManyProperties, 150000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
