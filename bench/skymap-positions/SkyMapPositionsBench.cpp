// Loading the compiled-in catalogues and recomputing every position for a site (goals: loading
// within 150 ms, a recomputation within 20 ms).
#include "skymap/CatalogLoader.h"
#include "skymap/MapViewPositionJob.h"

#include <benchmark/benchmark.h>

namespace {

void LoadCatalogs(benchmark::State &state) {
  size_t entries = 0;
  for (auto _ : state) {
    LoadedCatalogs loaded = CatalogLoader::load(CatalogTables::compiledIn());
    entries = loaded.stars.size() + loaded.dsos.size() + loaded.solarsys.size();
    for (const auto &line : loaded.milkyway)
      entries += line.size();
    benchmark::DoNotOptimize(loaded);
  }
  state.counters["entries"] = double(entries);
}
BENCHMARK(LoadCatalogs)->Unit(benchmark::kMillisecond);

void RecomputeAllPositions(benchmark::State &state) {
  LoadedCatalogs loaded = CatalogLoader::load(CatalogTables::compiledIn());
  MapView::PositionJob job;
  job.latitude = 48.14;
  job.longitude = 11.58;
  job.elevation = 520.0;
  job.starLike = loaded.stars;
  job.starLike.insert(job.starLike.end(), loaded.dsos.begin(), loaded.dsos.end());
  for (const auto &line : loaded.milkyway)
    job.starLike.insert(job.starLike.end(), line.begin(), line.end());
  job.bodies = loaded.solarsys;
  for (auto _ : state) {
    MapView::recomputePositions(job);
    benchmark::DoNotOptimize(job.starPlaces.data());
  }
  state.counters["entries"] = double(job.starLike.size() + job.bodies.size());
}
BENCHMARK(RecomputeAllPositions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
