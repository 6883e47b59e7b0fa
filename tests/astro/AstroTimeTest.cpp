// Sidereal time and the fixed instant.
#include "AstroFixtures.h"

#include <gtest/gtest.h>

using namespace astro_test;

TEST(AstroTime, LocalSiderealTimeIsGreenwichPlusLongitude) {
  for (double jd : {2451545.0, 2455197.5, 2461380.75, 2464000.25}) {
    double tai1, tai2, tt1, tt2;
    ASSERT_GE(eraUtctai(jd, 0.0, &tai1, &tai2), 0);
    eraTaitt(tai1, tai2, &tt1, &tt2);
    const double gast = eraGst06a(jd, 0.0, tt1, tt2) * ERFA_DR2D / 15.0;
    for (double lon : {0.0, 15.0, -75.5, 284.5, 359.0}) {
      const double lst = kestor_lst(&jd, lon);
      EXPECT_GE(lst, 0.0);
      EXPECT_LT(lst, 24.0);
      const double expected = std::fmod(gast + lon / 15.0 + 48.0, 24.0);
      EXPECT_NEAR(std::remainder(lst - expected, 24.0), 0.0, 1e-6) << jd << " " << lon;
    }
    EXPECT_NEAR(kestor_lst(&jd, -75.5), kestor_lst(&jd, 284.5), 1e-9);
  }
}

TEST(AstroTime, KnownSiderealTime) {
  // Meeus example 12.a: 1987 April 10, 0h UT, mean sidereal time 13h10m46.3668s; apparent 13h10m46.1351s.
  const double jd = 2446895.5;
  EXPECT_NEAR(kestor_lst(&jd, 0.0), 13.0 + 10.0 / 60.0 + 46.1351 / 3600.0, 0.02 / 3600.0);
}

TEST(AstroTime, FixedInstantIsNowUntilCleared) {
  {
    FixedTime now(2461380.5);
    EXPECT_EQ(kestor_astro_time(), 2461380.5);
    const double jd = 2461380.5;
    EXPECT_EQ(kestor_lst(nullptr, 10.0), kestor_lst(&jd, 10.0));
  }
  const double clock = kestor_astro_time();
  EXPECT_GT(clock, 2461000.0);  // the system clock: after 2025
}
