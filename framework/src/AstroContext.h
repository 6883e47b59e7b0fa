// Inner declarations of the astronomy routines (not part of the public header).
#pragma once

#include <kestor.h>

#include <erfa.h>
#include <erfam.h>

struct kestor_site_context {
  double latitude = 0, longitude = 0, elevation = 0;  // degrees, degrees, metres
  double utc1 = 0, utc2 = 0;                          // the instant, UTC two-part Julian date
  double tt1 = 0, tt2 = 0;                            // the same instant in TT
  eraASTROM astrom{};                                 // star-independent parameters, observer's frame
  double eo = 0;                                      // equation of the origins (radians)
  double earthHelio[2][3]{};                          // Earth, heliocentric (au, au/day)
  double earthBary[2][3]{};                           // Earth, barycentric (au, au/day)
};

namespace kestor_astro {

// UTC Julian date taken as now: the fixed instant, or the system clock.
double nowJd();
// A Julian date split into a day boundary part and the fraction, as ERFA likes it.
void splitJd(double jd, double &whole, double &fraction);
// TT of a UTC two-part Julian date. False when ERFA rejects the date.
bool utcToTt(double utc1, double utc2, double &tt1, double &tt2);
// Fills a context for the site at the UTC Julian date; false when ERFA rejects the date.
bool fillContext(kestor_site_context &context, double jdUtc, double lat, double lon, double elev);
// Apparent place (equinox-based) of a J2000 catalogue place under a context's parameters.
void apparentPlace(const eraASTROM &astrom, double eo, double *ra, double *dec, double pmra, double pmdec, double px,
                   double rv);
// Barycentric position and velocity (au, au/day, ICRS axes) of a body at the context's instant.
bool bodyBarycentric(const kestor_site_context &context, int32_t body, double pv[2][3]);
// Heliocentric position and velocity of Pluto (au, au/day, J2000 equatorial) at a TT date.
void plutoHeliocentric(double tt1, double tt2, double pv[2][3]);

}  // namespace kestor_astro
