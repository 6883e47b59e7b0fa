// The throttle and the background recomputation of positions.
#include "skymap/CatalogLoader.h"
#include "skymap/MapViewPositionJob.h"
#include "skymap/PositionThrottle.h"

#include <kestor.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct Call {
  double latitude, longitude, elevation, now;
  bool recomputes;
  double lastUpdateAfter;
};

}  // namespace

TEST(PositionThrottle, Sequences) {
  struct Sequence {
    const char *what;
    std::vector<Call> calls;
  } sequences[] = {
      {"first call at the start site recomputes", {{0, 0, 0, 1000.0, true, 1000.0}}},
      {"new site, then the same site sets the throttle",
       {{48, 11, 500, 1000.0, true, 0.0}, {48, 11, 500, 1000.1, true, 1000.1}, {48, 11, 500, 1005.09, false, 1000.1},
        {48, 11, 500, 1005.1, true, 1005.1}}},
      {"a changed site always recomputes and keeps the time",
       {{48, 11, 500, 1000.0, true, 0.0}, {48, 11, 500, 1000.0, true, 1000.0}, {48, 12, 500, 1000.1, true, 1000.0},
        {48, 12, 500, 1000.2, false, 1000.0}}},
      {"a site that is not a number recomputes every time",
       {{NaN, 11, 500, 1000.0, true, 0.0}, {NaN, 11, 500, 1000.0, true, 0.0}, {NaN, 11, 500, 1000.1, true, 0.0}}},
      {"4.99 s is too soon, 5.0 s is not",
       {{1, 2, 3, 10.0, true, 0.0}, {1, 2, 3, 10.0, true, 10.0}, {1, 2, 3, 14.99, false, 10.0}, {1, 2, 3, 15.0, true, 15.0}}},
  };
  for (const Sequence &sequence : sequences) {
    double lat = 0, lon = 0, elev = 0, last = 0;
    PositionThrottle throttle{lat, lon, elev, last};
    int n = 0;
    for (const Call &call : sequence.calls) {
      EXPECT_EQ(throttle.admit(call.latitude, call.longitude, call.elevation, call.now), call.recomputes)
          << sequence.what << ", call " << n;
      EXPECT_EQ(last, call.lastUpdateAfter) << sequence.what << ", call " << n;
      if (call.recomputes) {
        EXPECT_EQ(lon, call.longitude) << sequence.what;
      }
      ++n;
    }
  }
}

TEST(PositionJob, RecomputationEqualsPlacingEachEntry) {
  kestor_set_astro_time(2461380.75);
  LoadedCatalogs loaded = CatalogLoader::load(CatalogTables::compiledIn());
  MapView::PositionJob job;
  job.latitude = -33.9;
  job.longitude = 18.4;
  job.elevation = 10.0;
  for (size_t i = 0; i < loaded.stars.size(); i += 997)
    job.starLike.push_back(loaded.stars[i]);
  job.starLike.push_back(loaded.dsos.front());
  job.starLike.push_back(loaded.milkyway.front().front());
  job.bodies = loaded.solarsys;
  const MapEntry before = *job.starLike.front();
  MapView::recomputePositions(job);
  ASSERT_EQ(job.starPlaces.size(), job.starLike.size());
  ASSERT_EQ(job.bodyPlaces.size(), job.bodies.size());
  EXPECT_EQ(job.starLike.front()->alt, before.alt);  // the entries themselves are untouched
  for (size_t i = 0; i < job.starLike.size(); ++i) {
    MapEntry copy = *job.starLike[i];
    copy.updateStar(job.latitude, job.longitude, job.elevation);
    EXPECT_NEAR(job.starPlaces[i].alt, copy.alt, 1e-9);
    EXPECT_NEAR(job.starPlaces[i].az, copy.az, 1e-9);
    EXPECT_NEAR(job.starPlaces[i].ra, copy.ra, 1e-9);
  }
  for (size_t i = 0; i < job.bodies.size(); ++i) {
    MapEntry copy = *job.bodies[i];
    copy.updatePlanet(job.latitude, job.longitude, job.elevation);
    EXPECT_NEAR(job.bodyPlaces[i].alt, copy.alt, 1e-9) << copy.id;
    EXPECT_NEAR(job.bodyPlaces[i].dec, copy.dec, 1e-9) << copy.id;
  }
  kestor_set_astro_time(0.0);
}
