// Shared helpers of the astronomy tests.
#pragma once

#include <kestor.h>

#include <erfa.h>
#include <erfam.h>

#include <cmath>

namespace astro_test {

constexpr double ARCSEC = 1.0 / 3600.0;  // degrees

// Angle between two places on the sphere, in arcseconds; (longitude, latitude) in degrees.
inline double separationArcsec(double lon1, double lat1, double lon2, double lat2) {
  return eraSeps(lon1 * ERFA_DD2R, lat1 * ERFA_DD2R, lon2 * ERFA_DD2R, lat2 * ERFA_DD2R) * ERFA_DR2AS;
}

// UTC Julian date of a TT Julian date, for dates whose TAI-UTC is given.
inline double utcOfTt(double jdTt, double taiMinusUtc) {
  return jdTt - (32.184 + taiMinusUtc) / ERFA_DAYSEC;
}

// Fixes the astronomy routines' "now" for the life of a test.
class FixedTime {
public:
  explicit FixedTime(double jdUtc) { kestor_set_astro_time(jdUtc); }
  ~FixedTime() { kestor_set_astro_time(0.0); }
  FixedTime(const FixedTime &) = delete;
  FixedTime &operator=(const FixedTime &) = delete;
};

}  // namespace astro_test
