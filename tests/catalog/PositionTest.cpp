// The throttle and the background recomputation of positions.
#include "skymap/MapEntry.h"
#include "skymap/SkyModel.h"
#include "skymap/SkyPlaces.h"
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

TEST(SkyPlaces, RecomputationEqualsPlacingEachObject) {
  kestor_set_astro_time(2461380.75);
  const std::shared_ptr<const SkyModel> model = SkyModel::shared();
  const double latitude = -33.9, longitude = 18.4, elevation = 10.0;
  const std::shared_ptr<const SkyPlaces> places = SkyPlaces::compute(*model, latitude, longitude, elevation);
  ASSERT_EQ(places->stars.size(), model->stars.size());
  ASSERT_EQ(places->deepSky.size(), model->deepSky.size());
  ASSERT_EQ(places->milkyWay.size(), model->milkyWay.size());
  ASSERT_EQ(places->bodies.size(), model->bodies.size());
  const auto check = [&](bool body, const SkyObject &object, const SkyPlace &place) {
    MapEntry entry(object);
    if (body)
      entry.updatePlanet(latitude, longitude, elevation);
    else
      entry.updateStar(latitude, longitude, elevation);
    EXPECT_NEAR(place.alt, entry.alt, 1e-9) << object.id;
    EXPECT_NEAR(place.az, entry.az, 1e-9) << object.id;
    EXPECT_NEAR(place.ra, entry.ra, 1e-9) << object.id;
    EXPECT_NEAR(place.dec, entry.dec, 1e-9) << object.id;
  };
  for (uint32_t i = 0; i < model->stars.size(); i += 997)
    check(false, model->stars[i], places->stars[i]);
  check(false, model->deepSky.front(), places->deepSky.front());
  check(false, model->milkyWay.back(), places->milkyWay.back());
  for (uint32_t i = 0; i < model->bodies.size(); ++i)
    check(true, model->bodies[i], places->bodies[i]);
  kestor_set_astro_time(0.0);
}
