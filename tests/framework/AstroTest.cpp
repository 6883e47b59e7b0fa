// The astronomy routines: star places and altitude/azimuth against ERFA's one-call routines, the
// Sun, Moon and planets against almanac values, and sidereal time.
#include <kestor.h>

#include <erfa.h>
#include <erfam.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace {

// Angle between two places, in arcseconds; (longitude, latitude) in degrees.
double separationArcsec(double lon1, double lat1, double lon2, double lat2) {
  return eraSeps(lon1 * ERFA_DD2R, lat1 * ERFA_DD2R, lon2 * ERFA_DD2R, lat2 * ERFA_DD2R) * ERFA_DR2AS;
}

// Fixes the routines' "now" for the life of a test.
struct FixedTime {
  explicit FixedTime(double jdUtc) { kestor_set_astro_time(jdUtc); }
  ~FixedTime() { kestor_set_astro_time(0.0); }
};

struct Star {
  double jdUtc, lat, lon, elev, ra, dec, pmra, pmdec, px, rv;
};

std::vector<Star> randomStars(int count) {
  std::mt19937 random(20261206);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Star> stars;
  for (int n = 0; n < count; ++n)
    stars.push_back({2451545.0 + unit(random) * 36.0 * 365.25,  // 2000 to 2036, so also "dubious" years
                     std::asin(2.0 * unit(random) - 1.0) * ERFA_DR2D,
                     unit(random) * 360.0 - (n % 2 == 0 ? 0.0 : 180.0),  // both conventions
                     unit(random) * 4000.0, unit(random) * 24.0, std::asin(2.0 * unit(random) - 1.0) * ERFA_DR2D,
                     (unit(random) - 0.5) * 2000.0, (unit(random) - 0.5) * 2000.0, unit(random) * 300.0,
                     (unit(random) - 0.5) * 200.0});
  return stars;
}

// Compares with ERFA's observed place (no refraction).
void expectAgreement(const Star &c, double ra, double dec, double alt, double az) {
  const double dc = c.dec * ERFA_DD2R;
  double aob, zob, hob, dob, rob, eo;
  ASSERT_GE(eraAtco13(c.ra * 15.0 * ERFA_DD2R, dc, c.pmra * ERFA_DMAS2R / std::cos(dc), c.pmdec * ERFA_DMAS2R,
                      c.px / 1000.0, c.rv, c.jdUtc, 0.0, 0.0, c.lon * ERFA_DD2R, c.lat * ERFA_DD2R, c.elev, 0.0, 0.0,
                      0.0, 0.0, 0.0, 0.55, &aob, &zob, &hob, &dob, &rob, &eo),
            0);
  EXPECT_LT(separationArcsec(ra * 15.0, dec, eraAnp(rob - eo) * ERFA_DR2D, dob * ERFA_DR2D), 1.0) << c.jdUtc;
  EXPECT_LT(separationArcsec(az, alt, aob * ERFA_DR2D, 90.0 - zob * ERFA_DR2D), 1.0) << c.jdUtc;
  EXPECT_TRUE(ra >= 0.0 && ra < 24.0 && az >= 0.0 && az < 360.0);
}

// The one-place routines at "now".
std::array<double, 4> onePlace(const Star &c) {
  double ra = c.ra, dec = c.dec, alt, az;
  kestor_topo_star(&ra, &dec, c.lat, c.lon, c.elev, c.pmra, c.pmdec, c.px, c.rv);
  kestor_eq2hor(nullptr, &alt, &az, c.lat, c.lon, c.elev, ra, dec);
  return {ra, dec, alt, az};
}

}  // namespace

TEST(Astro, StarPlacesAgreeWithErfa) {
  for (const Star &c : randomStars(300)) {
    kestor_site_context *context = kestor_site_context_new(&c.jdUtc, c.lat, c.lon, c.elev);
    ASSERT_NE(context, nullptr) << c.jdUtc;
    double ra = c.ra, dec = c.dec, alt, az;
    kestor_site_topo_star(context, &ra, &dec, c.pmra, c.pmdec, c.px, c.rv);
    kestor_site_eq2hor(context, &alt, &az, ra, dec);
    kestor_site_context_free(context);
    expectAgreement(c, ra, dec, alt, az);

    FixedTime now(c.jdUtc);
    const auto place = onePlace(c);
    expectAgreement(c, place[0], place[1], place[2], place[3]);
    // The geocentric apparent place.
    ra = c.ra, dec = c.dec;
    kestor_app_star(&ra, &dec, c.pmra, c.pmdec, c.px, c.rv);
    double tai1, tai2, tt1, tt2, ri, di, eo;
    eraUtctai(c.jdUtc, 0.0, &tai1, &tai2);
    eraTaitt(tai1, tai2, &tt1, &tt2);
    eraAtci13(c.ra * 15.0 * ERFA_DD2R, c.dec * ERFA_DD2R, c.pmra * ERFA_DMAS2R / std::cos(c.dec * ERFA_DD2R),
              c.pmdec * ERFA_DMAS2R, c.px / 1000.0, c.rv, tt1, tt2, &ri, &di, &eo);
    EXPECT_LT(separationArcsec(ra * 15.0, dec, eraAnp(ri - eo) * ERFA_DR2D, di * ERFA_DR2D), 1.0);
  }
  // Calls a few seconds apart reuse the kept context and only advance the Earth's rotation.
  const Star c = randomStars(1).front();
  for (double seconds : {7.0, 45.0, 59.0, 61.0, 300.0}) {
    Star later = c;
    later.jdUtc += seconds / ERFA_DAYSEC;
    FixedTime now(later.jdUtc);
    const auto place = onePlace(later);
    expectAgreement(later, place[0], place[1], place[2], place[3]);
  }
}

TEST(Astro, ThreadsComputeTheSameAsOneThread) {
  const std::vector<Star> stars = randomStars(64);
  FixedTime now(2461380.5);
  std::vector<std::array<double, 4>> expected;
  for (const Star &c : stars) expected.push_back(onePlace(c));
  std::vector<std::thread> threads;
  for (size_t t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round)
        for (size_t n = 0; n < stars.size(); ++n) {
          const size_t k = (n + t) % stars.size();
          const auto place = onePlace(stars[k]);
          for (int i = 0; i < 4; ++i) EXPECT_NEAR(place[i], expected[k][i], 1e-9);
        }
    });
  for (std::thread &thread : threads) thread.join();
}

TEST(Astro, RejectedDateGivesNaN) {
  const double early = -1.0e6;  // ERFA makes no calendar date of it
  EXPECT_EQ(kestor_site_context_new(&early, 10.0, 20.0, 0.0), nullptr);
  FixedTime now(early);
  const auto place = onePlace({early, 10.0, 20.0, 0.0, 1.0, 2.0, 0, 0, 0, 0});
  for (double value : place) EXPECT_TRUE(std::isnan(value));
}

// Meeus, Astronomical Algorithms (2nd ed.), examples 25.b, 47.a, 33.a and 37.a (Pluto: astrometric
// J2000). Each body is computed for a site right under it, where the topocentric place is the
// geocentric one of the almanac.
TEST(Astro, BodiesMatchTheAlmanac) {
  const struct {
    int32_t body;
    double jdTt, taiMinusUtc, ra, dec, tolerance;  // degrees, arcseconds
    bool astrometric;
  } cases[] = {
      {KESTOR_SUN, 2448908.5, 27.0, 198.378112, -7.783817, 2.0, false},
      {KESTOR_MOON, 2448724.5, 26.0, 134.688470, 13.768368, 5.0, false},
      {KESTOR_VENUS, 2448976.5, 27.0, 316.172725, -18.888011, 3.0, false},
      {KESTOR_PLUTO, 2448908.5, 27.0, 232.932500, -4.458056, 30.0, true},
  };
  for (const auto &e : cases) {
    SCOPED_TRACE(e.body);
    const double jd = e.jdTt - (32.184 + e.taiMinusUtc) / ERFA_DAYSEC;
    double ra = e.ra / 15.0, dec = e.dec;
    if (e.astrometric) {  // brought to the apparent place of date as a star's
      kestor_site_context *geo = kestor_site_context_new(&jd, 0.0, 0.0, -6378137.0);
      kestor_site_topo_star(geo, &ra, &dec, 0.0, 0.0, 0.0, 0.0);
      kestor_site_context_free(geo);
    }
    const double f = 1.0 / 298.257223563;  // WGS84: the geodetic latitude of a geocentric one
    const double lat = std::atan(std::tan(dec * ERFA_DD2R) / ((1.0 - f) * (1.0 - f))) * ERFA_DR2D;
    kestor_site_context *site = kestor_site_context_new(&jd, lat, (ra - kestor_lst(&jd, 0.0)) * 15.0, 0.0);
    ASSERT_NE(site, nullptr);
    double bodyRa = 0, bodyDec = 0, alt, az;
    ASSERT_EQ(kestor_site_topo_planet(site, e.body, &bodyRa, &bodyDec), 0u);
    kestor_site_eq2hor(site, &alt, &az, bodyRa, bodyDec);
    kestor_site_context_free(site);
    EXPECT_LT(separationArcsec(bodyRa * 15.0, bodyDec, ra * 15.0, dec), e.tolerance);
    EXPECT_GT(alt, 89.7);  // the zenith follows the geodetic normal
  }
}

TEST(Astro, EveryBodyHasAPlaceAndNoOtherNumberDoes) {
  // Two instants 50 s apart, so a context kept from the first call would show in the second.
  for (double jd : {2461380.5, 2461380.5 + 50.0 / 86400.0}) {
    FixedTime now(jd);
    kestor_site_context *context = kestor_site_context_new(&jd, -33.0, 151.0, 50.0);
    for (int32_t body : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11}) {
      double ra1, dec1, ra2 = -1, dec2 = -100;
      kestor_topo_planet(body, &ra1, &dec1, -33.0, 151.0, 50.0);
      EXPECT_EQ(kestor_site_topo_planet(context, body, &ra2, &dec2), 0u) << body;
      EXPECT_TRUE(ra2 >= 0.0 && ra2 < 24.0 && dec2 >= -90.0 && dec2 <= 90.0) << body;
      EXPECT_DOUBLE_EQ(ra1, ra2) << body;
      EXPECT_DOUBLE_EQ(dec1, dec2) << body;
    }
    for (int32_t body : {0, 3, 12, -1}) {
      double ra = 1.5, dec = 2.5;
      EXPECT_NE(kestor_site_topo_planet(context, body, &ra, &dec), 0u) << body;
      EXPECT_EQ(ra + dec, 4.0);
    }
    kestor_site_context_free(context);
  }
}

TEST(Astro, MoonParallaxShowsAtTheHorizon) {
  const double jd = 2461380.5;
  kestor_site_context *centre = kestor_site_context_new(&jd, 0.0, 0.0, -6378137.0);
  double ra, dec, tra, tdec;
  kestor_site_topo_planet(centre, KESTOR_MOON, &ra, &dec);
  // A site with the Moon on its western horizon.
  kestor_site_context *site = kestor_site_context_new(&jd, 0.0, (ra - kestor_lst(&jd, 0.0)) * 15.0 + 90.0, 0.0);
  kestor_site_topo_planet(site, KESTOR_MOON, &tra, &tdec);
  const double shift = separationArcsec(ra * 15.0, dec, tra * 15.0, tdec) / 3600.0;
  EXPECT_TRUE(shift > 0.85 && shift < 1.05) << shift;
  kestor_site_context_free(centre);
  kestor_site_context_free(site);
}

TEST(Astro, SiderealTime) {
  for (double jd : {2451545.0, 2455197.5, 2461380.75, 2464000.25}) {
    double tai1, tai2, tt1, tt2;
    eraUtctai(jd, 0.0, &tai1, &tai2);
    eraTaitt(tai1, tai2, &tt1, &tt2);
    const double gast = eraGst06a(jd, 0.0, tt1, tt2) * ERFA_DR2D / 15.0;
    for (double lon : {0.0, 15.0, -75.5, 284.5, 359.0}) {
      const double lst = kestor_lst(&jd, lon);
      EXPECT_TRUE(lst >= 0.0 && lst < 24.0);
      EXPECT_NEAR(std::remainder(lst - gast - lon / 15.0, 24.0), 0.0, 1e-6) << jd << " " << lon;
    }
  }
  // Meeus example 12.a: 1987 April 10, 0h UT, apparent sidereal time 13h10m46.1351s.
  const double jd = 2446895.5;
  EXPECT_NEAR(kestor_lst(&jd, 0.0), 13.0 + 10.0 / 60.0 + 46.1351 / 3600.0, 0.02 / 3600.0);
  {
    FixedTime now(jd);
    EXPECT_EQ(kestor_astro_time(), jd);
    EXPECT_EQ(kestor_lst(nullptr, 10.0), kestor_lst(&jd, 10.0));
  }
  EXPECT_GT(kestor_astro_time(), 2461000.0);  // the system clock again: after 2025
}
