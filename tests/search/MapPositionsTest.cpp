// The map view's recomputation: throttled by an injected clock, applied on the main thread,
// dropped when overtaken or when the view is gone.
#include "EventLoopWait.h"
#include "skymap/MapViewPositionJob.h"

#include <kestor.h>

#include <gtest/gtest.h>

namespace {

class MapPositions : public testing::Test {
protected:
  void SetUp() override {
    kestor_set_astro_time(2461380.75);
    map.clock = [this] { return now; };
  }
  void TearDown() override { kestor_set_astro_time(0.0); }

  // Where the entry belongs for the site.
  static MapEntry placed(const MapEntry &entry, double lat, double lon, double elev) {
    MapEntry copy = entry;
    copy.updateStar(lat, lon, elev);
    return copy;
  }
  bool showsSite(double lat, double lon, double elev) const {
    const MapEntry expected = placed(*map.stars[100], lat, lon, elev);
    return map.stars[100]->alt == expected.alt && map.stars[100]->az == expected.az;
  }

  double now = 1.0e9;
  MapView map{QRect(0, 0, 300, 300)};
};

}  // namespace

TEST_F(MapPositions, RecomputationMovesEveryListAndDropsTheCaches) {
  map.cachedMilkyway = QPainterPath();
  map.cachedFigures = QPainterPath();
  map.cachedDSOs = QPainterPath();
  map.update(52.5, 13.4, 34.0);
  ASSERT_TRUE(waitUntil([&] { return !map.cachedMilkyway; }));
  EXPECT_FALSE(map.cachedFigures || map.cachedDSOs || map.cachedStars);
  EXPECT_TRUE(showsSite(52.5, 13.4, 34.0));
  const MapEntry dso = placed(*map.dsos[3], 52.5, 13.4, 34.0);
  EXPECT_EQ(map.dsos[3]->alt, dso.alt);
  const MapEntry point = placed(*map.milkyway[2][5], 52.5, 13.4, 34.0);
  EXPECT_EQ(map.milkyway[2][5]->az, point.az);
  MapEntry moon = *map.solarsys[9];
  moon.updatePlanet(52.5, 13.4, 34.0);
  EXPECT_EQ(map.solarsys[9]->dec, moon.dec);
  const MapEntryPtr &figureStar = map.figures[0][0][0];
  const MapEntry expected = placed(*figureStar, 52.5, 13.4, 34.0);
  EXPECT_EQ(figureStar->alt, expected.alt);  // figures move with their stars
}

TEST_F(MapPositions, ThrottleUsesTheViewsClock) {
  const quint64 start = map.recomputeGeneration;
  map.update(0, 0, 0);  // time 0 is long ago: recomputes
  EXPECT_EQ(map.recomputeGeneration, start + 1);
  now += 4.99;
  map.update(0, 0, 0);
  EXPECT_EQ(map.recomputeGeneration, start + 1);
  now += 0.01;
  map.update(0, 0, 0);
  EXPECT_EQ(map.recomputeGeneration, start + 2);
  map.update(1, 0, 0);  // a new site, at once
  EXPECT_EQ(map.recomputeGeneration, start + 3);
  EXPECT_EQ(map.lastUpdate, now);
  waitUntil([&] { return showsSite(1, 0, 0); });
}

TEST_F(MapPositions, NewestSiteWins) {
  for (int n = 0; n < 6; ++n)
    map.update(10.0 * n, 20.0, 0.0);
  ASSERT_TRUE(waitUntil([&] { return showsSite(50.0, 20.0, 0.0); }));
  spinFor(300);  // an older result arriving late must not undo the newest
  EXPECT_TRUE(showsSite(50.0, 20.0, 0.0));
}

TEST_F(MapPositions, OvertakenResultIsDropped) {
  MapView::PositionJob job;
  job.generation = map.recomputeGeneration;  // then a newer recomputation is queued
  job.starLike = {map.stars[0]};
  job.starPlaces = {SkyPlace{1.0, 2.0, 3.0, 4.0}};
  job.computed = true;
  ++map.recomputeGeneration;
  map.cachedMilkyway = QPainterPath();
  map.invalidateCachedPaths(job);
  EXPECT_NE(map.stars[0]->alt, 3.0);
  EXPECT_TRUE(map.cachedMilkyway.has_value());
  job.generation = map.recomputeGeneration;  // the newest one is applied
  map.invalidateCachedPaths(job);
  EXPECT_EQ(map.stars[0]->alt, 3.0);
  EXPECT_EQ(map.stars[0]->az, 4.0);
  EXPECT_FALSE(map.cachedMilkyway.has_value());
}

TEST_F(MapPositions, EmptyResultStillDropsTheCaches) {
  MapView::PositionJob job;
  job.generation = map.recomputeGeneration;
  job.computed = true;
  map.cachedMilkyway = QPainterPath();
  map.cachedFigures = QPainterPath();
  map.cachedDSOs = QPainterPath();
  map.invalidateCachedPaths(job);
  EXPECT_FALSE(map.cachedMilkyway || map.cachedFigures || map.cachedDSOs || map.cachedStars);
}

TEST(MapPositionsLifetime, ResultForAViewThatIsGoneIsDropped) {
  for (int n = 0; n < 3; ++n) {
    auto *map = new MapView(QRect(0, 0, 200, 200));
    map->update(45.0, 7.0, 200.0);
    delete map;
  }
  spinFor(500);
  SUCCEED();
}
