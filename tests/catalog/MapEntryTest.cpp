// The size rule and placing one entry.
#include "skymap/MountEntry.h"
#include "skymap/SkyPlace.h"

#include <kestor.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Sirius as catalogued.
const SkyObject SIRIUS{6.752477, -16.716116, -546.01f, -1223.07f, 379.21f, -5.5f, -1.44f, 0.0f, 32349, "Sirius", nullptr};

class FixedInstant : public testing::Test {
protected:
  void SetUp() override { kestor_set_astro_time(2461380.75); }
  void TearDown() override { kestor_set_astro_time(0.0); }
};

}  // namespace

TEST(SkyObject, DiameterRule) {
  struct Row { float mag, arcmin, expected; } rows[] = {
      {0.0f, 0.0f, 1.0f}, {-3.0f, 0.0f, 1.0f}, {5.0f, 0.0f, 0.18593f}, {8.0f, 0.0f, 0.06776f},
      {5.0f, 30.0f, 0.5f}, {5.0f, 300.0f, 5.0f},
  };
  for (const Row &row : rows)
    EXPECT_NEAR(SkyObject::diameterFor(row.mag, row.arcmin), row.expected, 1e-5f) << row.mag << " " << row.arcmin;
  EXPECT_TRUE(std::isnan(SkyObject::diameterFor(5.0f, std::numeric_limits<float>::quiet_NaN())));
  const MapEntry mount(5.5, 20.0);
  EXPECT_EQ(mount.object.diameter, 0.0f);
  EXPECT_EQ(mount.object.mag, 0.0f);
  EXPECT_FALSE(mount.name.has_value());
  const MapEntry plain;
  EXPECT_EQ(plain.object.j2kRA, 0.0);
  EXPECT_FALSE(plain.source.has_value());
}

TEST_F(FixedInstant, UpdateStarEqualsTheSharedContext) {
  MapEntry sirius(SIRIUS);
  sirius.updateStar(48.1, 11.6, 520.0);
  kestor_site_context *context = kestor_site_context_new(nullptr, 48.1, 11.6, 520.0);
  const SkyPlace place = SkyPlace::ofStar(sirius.object, context);
  kestor_site_context_free(context);
  EXPECT_DOUBLE_EQ(sirius.ra, place.ra);
  EXPECT_DOUBLE_EQ(sirius.dec, place.dec);
  EXPECT_DOUBLE_EQ(sirius.alt, place.alt);
  EXPECT_DOUBLE_EQ(sirius.az, place.az);
  EXPECT_NE(sirius.ra, sirius.object.j2kRA);  // precession and the rest moved it
}

TEST_F(FixedInstant, UpdatePlanetPlacesTheBody) {
  SkyObject body;
  body.id = 11;  // the Moon
  MapEntry moon(body);
  moon.updatePlanet(48.1, 11.6, 520.0);
  double ra, dec;
  kestor_topo_planet(11, &ra, &dec, 48.1, 11.6, 520.0);
  EXPECT_DOUBLE_EQ(moon.ra, ra);
  EXPECT_DOUBLE_EQ(moon.dec, dec);
}

TEST_F(FixedInstant, MountPositionIsNotPrecessedAgain) {
  // A mount pointed at Sirius reports Sirius' apparent place of date: the mount's marker must
  // land on the star, not a third of a degree away.
  MapEntry sirius(SIRIUS);
  sirius.updateStar(48.1, 11.6, 520.0);
  MountEntry mount(sirius.ra, sirius.dec);
  mount.updateStar(48.1, 11.6, 520.0);
  EXPECT_EQ(mount.ra, sirius.ra);
  EXPECT_NEAR(mount.alt, sirius.alt, 1e-9);
  EXPECT_NEAR(mount.az, sirius.az, 1e-9);
  MapEntry twice(sirius.ra, sirius.dec);
  twice.updateStar(48.1, 11.6, 520.0);
  EXPECT_GT(std::hypot(twice.alt - sirius.alt, twice.az - sirius.az), 0.2);
}
