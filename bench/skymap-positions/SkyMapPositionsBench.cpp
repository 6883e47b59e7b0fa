// Loading the compiled-in catalogues and recomputing every position for a site (goals: loading
// within 150 ms, a recomputation within 20 ms).
#include "skymap/SkyModel.h"
#include "skymap/SkyPlaces.h"

#include <benchmark/benchmark.h>

namespace {

void LoadCatalogs(benchmark::State &state) {
  size_t objects = 0;
  for (auto _ : state) {
    std::shared_ptr<const SkyModel> model = SkyModel::load(CatalogTables::compiledIn());
    objects = model->stars.size() + model->deepSky.size() + model->bodies.size() + model->milkyWay.size();
    benchmark::DoNotOptimize(model);
  }
  state.counters["entries"] = double(objects);
}
BENCHMARK(LoadCatalogs)->Unit(benchmark::kMillisecond);

void RecomputeAllPositions(benchmark::State &state) {
  const std::shared_ptr<const SkyModel> model = SkyModel::load(CatalogTables::compiledIn());
  size_t objects = 0;
  for (auto _ : state) {
    std::shared_ptr<const SkyPlaces> places = SkyPlaces::compute(*model, 48.14, 11.58, 520.0);
    objects = places->stars.size() + places->deepSky.size() + places->bodies.size() + places->milkyWay.size();
    benchmark::DoNotOptimize(places);
  }
  state.counters["entries"] = double(objects);
}
BENCHMARK(RecomputeAllPositions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
