// MapView: keeping the positions current for the observing site.
#include "skymap/MapView.h"

#include "core/Dispatch.h"
#include "skymap/MapViewPositionJob.h"
#include "skymap/PositionThrottle.h"

#include <QPointer>

#include <algorithm>
#include <thread>

namespace {

constexpr size_t MAX_THREADS = 4;
constexpr size_t MIN_ENTRIES_PER_THREAD = 4096;

}  // namespace

std::shared_ptr<MapView::PositionJob> MapView::PositionJob::forView(const MapView &view, double latitude,
                                                                    double longitude, double elevation) {
  auto job = std::make_shared<PositionJob>();
  job->latitude = latitude;
  job->longitude = longitude;
  job->elevation = elevation;
  size_t points = 0;
  for (const auto &line : view.milkyway)
    points += line.size();
  job->starLike.reserve(view.stars.size() + view.dsos.size() + points);
  job->starLike.insert(job->starLike.end(), view.stars.begin(), view.stars.end());
  job->starLike.insert(job->starLike.end(), view.dsos.begin(), view.dsos.end());
  for (const auto &line : view.milkyway)
    job->starLike.insert(job->starLike.end(), line.begin(), line.end());
  job->bodies = view.solarsys;
  return job;
}

void MapView::update(double latitude, double longitude, double elevation) {
  const double now = clock();
  PositionThrottle throttle{lastLatitude, lastLongitude, lastElevation, lastUpdate};
  if (!throttle.admit(latitude, longitude, elevation, now))
    return;
  std::shared_ptr<PositionJob> job = PositionJob::forView(*this, latitude, longitude, elevation);
  job->generation = ++recomputeGeneration;
  QPointer<MapView> view(this);
  asyncGlobal([job, view] {
    recomputePositions(*job);
    // A view that is gone by then drops the result; the pointer is only read on the main thread.
    asyncMain([job, view] {
      if (view)
        view->invalidateCachedPaths(*job);
    });
  });
}

void MapView::recomputePositions(PositionJob &job) {
  const SiteContext site(job.latitude, job.longitude, job.elevation);
  const size_t count = job.starLike.size();
  job.starPlaces.resize(count);
  auto placeRange = [&job, &site](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i)
      job.starPlaces[i] = SkyPlace::ofStar(*job.starLike[i], site.get());
  };
  // The context is shared read-only; a few helper threads split the long list between them.
  const size_t parts = count < MIN_ENTRIES_PER_THREAD ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, MAX_THREADS);
  const size_t part = (count + parts - 1) / parts;
  {
    std::vector<std::jthread> helpers;
    for (size_t k = 1; k < parts; ++k)
      helpers.emplace_back(placeRange, std::min(count, k * part), std::min(count, (k + 1) * part));
    placeRange(0, std::min(count, part));
  }
  job.bodyPlaces.resize(job.bodies.size());
  for (size_t i = 0; i < job.bodies.size(); ++i)
    job.bodyPlaces[i] = SkyPlace::ofBody(*job.bodies[i], site.get());
  job.computed.store(true, std::memory_order_release);
}

void MapView::invalidateCachedPaths(const PositionJob &job) {
  // Overtaken by a newer recomputation (or, defensively, not computed): dropped.
  if (job.generation != recomputeGeneration || !job.computed.load(std::memory_order_acquire))
    return;
  for (size_t i = 0; i < job.starLike.size(); ++i)
    job.starPlaces[i].applyTo(*job.starLike[i]);
  for (size_t i = 0; i < job.bodies.size(); ++i)
    job.bodyPlaces[i].applyTo(*job.bodies[i]);
  cachedMilkyway.reset();
  cachedFigures.reset();
  cachedStars.reset();
  cachedDSOs.reset();
  QWidget::update();
}
