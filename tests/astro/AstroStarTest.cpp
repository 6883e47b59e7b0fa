// Star places and altitude/azimuth against ERFA's one-call observed-place routine.
#include "AstroFixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

using namespace astro_test;

namespace {

struct Case {
  double jdUtc, lat, lon, elev;
  double ra, dec, pmra, pmdec, px, rv;
};

std::vector<Case> randomCases(int count) {
  std::mt19937 random(20261206);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Case> cases;
  for (int n = 0; n < count; ++n) {
    Case c;
    c.jdUtc = 2451545.0 + unit(random) * 36.0 * 365.25;  // 2000 to 2036, so also "dubious" years
    c.lat = eraAnpm(std::asin(2.0 * unit(random) - 1.0)) * ERFA_DR2D;
    c.lon = unit(random) * 360.0 - (n % 2 == 0 ? 0.0 : 180.0);  // both conventions
    c.elev = unit(random) * 4000.0;
    c.ra = unit(random) * 24.0;
    c.dec = std::asin(2.0 * unit(random) - 1.0) * ERFA_DR2D;
    c.pmra = (unit(random) - 0.5) * 2000.0;
    c.pmdec = (unit(random) - 0.5) * 2000.0;
    c.px = unit(random) * 300.0;
    c.rv = (unit(random) - 0.5) * 200.0;
    cases.push_back(c);
  }
  return cases;
}

// ERFA's reference: observed azimuth, altitude and equinox-based RA/Dec without refraction.
void reference(const Case &c, double &alt, double &az, double &ra, double &dec) {
  const double dc = c.dec * ERFA_DD2R;
  double aob, zob, hob, dob, rob, eo;
  const int status = eraAtco13(c.ra * 15.0 * ERFA_DD2R, dc, c.pmra * ERFA_DMAS2R / std::cos(dc),
                               c.pmdec * ERFA_DMAS2R, c.px / 1000.0, c.rv, c.jdUtc, 0.0, 0.0,
                               c.lon * ERFA_DD2R, c.lat * ERFA_DD2R, c.elev, 0.0, 0.0, 0.0, 0.0, 0.0,
                               0.55, &aob, &zob, &hob, &dob, &rob, &eo);
  ASSERT_GE(status, 0);
  alt = 90.0 - zob * ERFA_DR2D;
  az = aob * ERFA_DR2D;
  ra = eraAnp(rob - eo) * ERFA_DR2D;
  dec = dob * ERFA_DR2D;
}

void expectAgreement(const Case &c, double ra, double dec, double alt, double az) {
  double refAlt = 0, refAz = 0, refRa = 0, refDec = 0;
  reference(c, refAlt, refAz, refRa, refDec);
  EXPECT_LT(separationArcsec(ra * 15.0, dec, refRa, refDec), 1.0)
      << "place at jd " << c.jdUtc << " site " << c.lat << "," << c.lon;
  EXPECT_LT(separationArcsec(az, alt, refAz, refAlt), 1.0)
      << "alt/az " << alt << "/" << az << " expected " << refAlt << "/" << refAz;
  EXPECT_GE(ra, 0.0);
  EXPECT_LT(ra, 24.0);
  EXPECT_GE(az, 0.0);
  EXPECT_LT(az, 360.0);
}

// The one-place routines with "now" fixed at the case's instant.
void expectOnePlaceRoutinesAgree(const Case &c) {
  FixedTime now(c.jdUtc);
  double ra = c.ra, dec = c.dec, alt, az;
  kestor_topo_star(&ra, &dec, c.lat, c.lon, c.elev, c.pmra, c.pmdec, c.px, c.rv);
  kestor_eq2hor(nullptr, &alt, &az, c.lat, c.lon, c.elev, ra, dec);
  expectAgreement(c, ra, dec, alt, az);
}

}  // namespace

TEST(AstroStar, SiteContextAgreesWithOneCallRoutine) {
  for (const Case &c : randomCases(400)) {
    kestor_site_context *context = kestor_site_context_new(&c.jdUtc, c.lat, c.lon, c.elev);
    ASSERT_NE(context, nullptr) << "jd " << c.jdUtc;
    double ra = c.ra, dec = c.dec, alt, az;
    kestor_site_topo_star(context, &ra, &dec, c.pmra, c.pmdec, c.px, c.rv);
    kestor_site_eq2hor(context, &alt, &az, ra, dec);
    kestor_site_context_free(context);
    expectAgreement(c, ra, dec, alt, az);
  }
}

TEST(AstroStar, OnePlaceRoutinesAgreeWithOneCallRoutine) {
  for (const Case &c : randomCases(100))
    expectOnePlaceRoutinesAgree(c);
}

TEST(AstroStar, ContextFollowsTheClockBetweenRefreshes) {
  // Calls a few seconds apart reuse the context and only advance the Earth's rotation.
  const Case c = randomCases(1).front();
  for (double seconds : {0.0, 7.0, 45.0, 59.0, 61.0, 300.0}) {
    Case later = c;
    later.jdUtc = c.jdUtc + seconds / ERFA_DAYSEC;
    expectOnePlaceRoutinesAgree(later);
  }
}

TEST(AstroStar, GeocentricApparentPlaceAgreesWithErfa) {
  for (const Case &c : randomCases(50)) {
    FixedTime now(c.jdUtc);
    double ra = c.ra, dec = c.dec;
    kestor_app_star(&ra, &dec, c.pmra, c.pmdec, c.px, c.rv);
    double utc1 = c.jdUtc, utc2 = 0.0, tai1, tai2, tt1, tt2, ri, di, eo;
    ASSERT_GE(eraUtctai(utc1, utc2, &tai1, &tai2), 0);
    eraTaitt(tai1, tai2, &tt1, &tt2);
    const double dc = c.dec * ERFA_DD2R;
    eraAtci13(c.ra * 15.0 * ERFA_DD2R, dc, c.pmra * ERFA_DMAS2R / std::cos(dc), c.pmdec * ERFA_DMAS2R,
              c.px / 1000.0, c.rv, tt1, tt2, &ri, &di, &eo);
    EXPECT_LT(separationArcsec(ra * 15.0, dec, eraAnp(ri - eo) * ERFA_DR2D, di * ERFA_DR2D), 1.0);
  }
}

TEST(AstroStar, ThreadsComputeTheSameAsOneThread) {
  const std::vector<Case> cases = randomCases(64);
  FixedTime now(2461380.5);  // all threads share one instant
  auto compute = [&](size_t n) {
    const Case &c = cases[n];
    double ra = c.ra, dec = c.dec, alt, az;
    kestor_topo_star(&ra, &dec, c.lat, c.lon, c.elev, c.pmra, c.pmdec, c.px, c.rv);
    kestor_eq2hor(nullptr, &alt, &az, c.lat, c.lon, c.elev, ra, dec);
    return std::array<double, 4>{ra, dec, alt, az};
  };
  std::vector<std::array<double, 4>> expected;
  for (size_t n = 0; n < cases.size(); ++n)
    expected.push_back(compute(n));
  std::vector<std::vector<std::array<double, 4>>> results(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round)
        for (size_t n = 0; n < cases.size(); ++n)
          results[t].push_back(compute((n + t) % cases.size()));
    });
  for (std::thread &thread : threads)
    thread.join();
  for (size_t t = 0; t < results.size(); ++t)
    for (size_t k = 0; k < results[t].size(); ++k)
      for (int i = 0; i < 4; ++i)
        ASSERT_NEAR(results[t][k][i], expected[(k % cases.size() + t) % cases.size()][i], 1e-9);
}

TEST(AstroStar, RejectedDateGivesNaN) {
  // ERFA refuses dates it cannot turn into a calendar date; "dubious" years still work.
  const double early = -1.0e6;
  EXPECT_EQ(kestor_site_context_new(&early, 10.0, 20.0, 0.0), nullptr);
  const double later = 2463000.5;  // 2031
  kestor_site_context *context = kestor_site_context_new(&later, 10.0, 20.0, 0.0);
  ASSERT_NE(context, nullptr);
  kestor_site_context_free(context);
  FixedTime now(early);
  double ra = 1.0, dec = 2.0, alt, az;
  kestor_topo_star(&ra, &dec, 10.0, 20.0, 0.0, 0.0, 0.0, 0.0, 0.0);
  kestor_eq2hor(nullptr, &alt, &az, 10.0, 20.0, 0.0, 1.0, 2.0);
  EXPECT_TRUE(std::isnan(ra) && std::isnan(dec) && std::isnan(alt) && std::isnan(az));
}
