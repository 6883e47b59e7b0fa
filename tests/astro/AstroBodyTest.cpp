// The Sun, the Moon and the planets against published ephemeris values. Each body is computed
// for a site right under it, where the topocentric place equals the geocentric one, so the
// geocentric values of the almanac examples apply directly.
#include "AstroFixtures.h"

#include <gtest/gtest.h>

using namespace astro_test;

namespace {

struct Ephemeris {
  const char *what;
  int32_t body;
  double jdTt;
  double taiMinusUtc;
  double ra;         // degrees, apparent of date (or J2000 astrometric when astrometric is set)
  double dec;        // degrees
  double tolerance;  // arcseconds
  bool astrometric;
};

// Geodetic latitude whose geocentric latitude is the given one (WGS84).
double geodeticOf(double geocentricDeg) {
  const double f = 1.0 / 298.257223563;
  return std::atan(std::tan(geocentricDeg * ERFA_DD2R) / ((1.0 - f) * (1.0 - f))) * ERFA_DR2D;
}

}  // namespace

class AstroBody : public testing::TestWithParam<Ephemeris> {};

TEST_P(AstroBody, MatchesEphemeris) {
  const Ephemeris &e = GetParam();
  const double jd = utcOfTt(e.jdTt, e.taiMinusUtc);
  double ra = e.ra / 15.0, dec = e.dec;
  if (e.astrometric) {
    // A J2000 astrometric place: bring it to the apparent place of date the same way as a star.
    kestor_site_context *geo = kestor_site_context_new(&jd, 0.0, 0.0, -6378137.0);
    ASSERT_NE(geo, nullptr);
    kestor_site_topo_star(geo, &ra, &dec, 0.0, 0.0, 0.0, 0.0);
    kestor_site_context_free(geo);
  }
  // The site under the body: local sidereal time equals its right ascension.
  const double lon = ra * 15.0 - kestor_lst(&jd, 0.0) * 15.0;
  kestor_site_context *context = kestor_site_context_new(&jd, geodeticOf(dec), lon, 0.0);
  ASSERT_NE(context, nullptr);
  double bodyRa = 0, bodyDec = 0, alt, az;
  ASSERT_EQ(kestor_site_topo_planet(context, e.body, &bodyRa, &bodyDec), 0u);
  kestor_site_eq2hor(context, &alt, &az, bodyRa, bodyDec);
  kestor_site_context_free(context);
  EXPECT_LT(separationArcsec(bodyRa * 15.0, bodyDec, ra * 15.0, dec), e.tolerance)
      << e.what << ": " << bodyRa * 15.0 << " " << bodyDec << " expected " << ra * 15.0 << " " << dec;
  EXPECT_GT(alt, 89.7) << e.what;  // the zenith follows the geodetic normal
}

// Meeus, Astronomical Algorithms (2nd ed.): examples 25.b (Sun), 47.a (Moon), 33.a (Venus) and
// 37.a (Pluto, astrometric J2000).
INSTANTIATE_TEST_SUITE_P(Almanac, AstroBody, testing::Values(
  Ephemeris{"Sun 1992-10-13", KESTOR_SUN, 2448908.5, 27.0, 198.378112, -7.783817, 2.0, false},
  Ephemeris{"Moon 1992-04-12", KESTOR_MOON, 2448724.5, 26.0, 134.688470, 13.768368, 5.0, false},
  Ephemeris{"Venus 1992-12-20", KESTOR_VENUS, 2448976.5, 27.0, 316.172725, -18.888011, 3.0, false},
  Ephemeris{"Pluto 1992-10-13", KESTOR_PLUTO, 2448908.5, 27.0, 232.932500, -4.458056, 30.0, true}));

TEST(AstroBodies, EveryBodyHasAPlaceAndNoOtherNumberDoes) {
  const double jd = 2461380.5;
  kestor_site_context *context = kestor_site_context_new(&jd, 48.0, 11.0, 500.0);
  ASSERT_NE(context, nullptr);
  for (int32_t body : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11}) {
    double ra = -1, dec = -100;
    EXPECT_EQ(kestor_site_topo_planet(context, body, &ra, &dec), 0u) << body;
    EXPECT_TRUE(ra >= 0.0 && ra < 24.0 && dec >= -90.0 && dec <= 90.0) << body;
  }
  for (int32_t body : {0, 3, 12, -1}) {
    double ra = 1.5, dec = 2.5;
    EXPECT_NE(kestor_site_topo_planet(context, body, &ra, &dec), 0u) << body;
    EXPECT_EQ(ra, 1.5);
    EXPECT_EQ(dec, 2.5);
  }
  kestor_site_context_free(context);
}

TEST(AstroBodies, OnePlaceRoutineEqualsTheContextRoutine) {
  // Two instants 50 s apart, so a context kept from the first call would show in the second.
  for (double jd : {2461380.5, 2461380.5 + 50.0 / 86400.0}) {
    FixedTime now(jd);
    kestor_site_context *context = kestor_site_context_new(&jd, -33.0, 151.0, 50.0);
    ASSERT_NE(context, nullptr);
    for (int32_t body : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11}) {
      double ra1, dec1, ra2, dec2;
      kestor_topo_planet(body, &ra1, &dec1, -33.0, 151.0, 50.0);
      kestor_site_topo_planet(context, body, &ra2, &dec2);
      EXPECT_DOUBLE_EQ(ra1, ra2) << body;
      EXPECT_DOUBLE_EQ(dec1, dec2) << body;
    }
    kestor_site_context_free(context);
  }
}

TEST(AstroBodies, MoonParallaxShowsAtTheHorizon) {
  // The Moon's place from the geocentre and from a site where it rises differ by about a degree.
  const double jd = 2461380.5;
  kestor_site_context *centre = kestor_site_context_new(&jd, 0.0, 0.0, -6378137.0);
  ASSERT_NE(centre, nullptr);
  double ra, dec, alt, az;
  kestor_site_topo_planet(centre, KESTOR_MOON, &ra, &dec);
  const double lon = ra * 15.0 - kestor_lst(&jd, 0.0) * 15.0 + 90.0;  // Moon on the western horizon
  kestor_site_context *site = kestor_site_context_new(&jd, 0.0, lon, 0.0);
  ASSERT_NE(site, nullptr);
  double tra, tdec;
  kestor_site_topo_planet(site, KESTOR_MOON, &tra, &tdec);
  kestor_site_eq2hor(site, &alt, &az, tra, tdec);
  const double shift = separationArcsec(ra * 15.0, dec, tra * 15.0, tdec) / 3600.0;
  EXPECT_GT(shift, 0.85);
  EXPECT_LT(shift, 1.05);
  kestor_site_context_free(centre);
  kestor_site_context_free(site);
}
