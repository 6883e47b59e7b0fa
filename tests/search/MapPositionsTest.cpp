// The map view's recomputation: throttled by an injected clock, applied on the main thread,
// dropped when overtaken or when the view is gone.
#include "EventLoopWait.h"
#include "skymap/MapView.h"

#include <kestor.h>

#include <gtest/gtest.h>

namespace {

class MapPositions : public testing::Test {
protected:
  void SetUp() override {
    kestor_set_astro_time(2461380.75);
    map.setClock([this] { return now; });
  }
  void TearDown() override { kestor_set_astro_time(0.0); }

  // Whether the map's places are those of the site (one star stands for all).
  bool showsSite(double lat, double lon, double elev) const {
    MapEntry expected(SkyModel::shared()->stars[100]);
    expected.updateStar(lat, lon, elev);
    return map.places().stars[100].alt == expected.alt && map.places().stars[100].az == expected.az;
  }
  // Whether the places change within a while.
  bool recomputes() {
    const SkyPlaces *before = &map.places();
    return waitUntil([&] { return &map.places() != before; }, 1000);
  }

  double now = 1.0e9;
  MapView map{QRect(0, 0, 300, 300)};
};

}  // namespace

TEST_F(MapPositions, RecomputationMovesTheSkyAndASelectionFromIt) {
  const SkyRef moon{SkyList::Bodies, 9};
  const auto selection = std::make_shared<MapEntry>(SkyModel::shared()->bodies[9], map.places().bodies[9], moon);
  map.setSelection(selection);
  map.update(52.5, 13.4, 34.0);
  ASSERT_TRUE(waitUntil([&] { return showsSite(52.5, 13.4, 34.0); }));
  EXPECT_EQ(selection->dec, map.places().bodies[9].dec);
  EXPECT_EQ(selection->alt, map.places().bodies[9].alt);
}

TEST_F(MapPositions, ThrottleUsesTheViewsClock) {
  map.update(0, 0, 0);  // time 0 is long ago: recomputes
  ASSERT_TRUE(waitUntil([&] { return showsSite(0, 0, 0); }));
  now += 4.99;
  map.update(0, 0, 0);
  EXPECT_FALSE(recomputes());
  now += 0.01;
  map.update(0, 0, 0);
  EXPECT_TRUE(recomputes());
  map.update(1, 0, 0);  // a new site, at once
  EXPECT_TRUE(waitUntil([&] { return showsSite(1, 0, 0); }));
}

TEST_F(MapPositions, NewestSiteWins) {
  for (int n = 0; n < 6; ++n)
    map.update(10.0 * n, 20.0, 0.0);
  ASSERT_TRUE(waitUntil([&] { return showsSite(50.0, 20.0, 0.0); }));
  spinFor(300);  // an older result arriving late must not undo the newest
  EXPECT_TRUE(showsSite(50.0, 20.0, 0.0));
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
