// MapView: keeping the positions current for the observing site.
#include "skymap/MapView.h"

#include "core/Dispatch.h"
#include "skymap/MapViewPositionJob.h"
#include "skymap/PositionThrottle.h"

#include <QPointer>

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
  job.starPlaces.resize(job.starLike.size());
  for (size_t i = 0; i < job.starLike.size(); ++i)
    job.starPlaces[i] = SkyPlace::ofStar(*job.starLike[i], site.get());
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
