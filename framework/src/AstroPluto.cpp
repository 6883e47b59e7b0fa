// Pluto from its mean orbital elements (JPL's approximate elements for 1800 to 2050, good to
// about an arcminute over that span), which ERFA's planetary theory does not cover.
#include "AstroContext.h"

#include <cmath>

namespace {

struct Element {
  double at2000;
  double perCentury;
  double at(double centuries) const { return at2000 + perCentury * centuries; }
};

constexpr Element SEMI_MAJOR_AXIS{39.48211675, -0.00031596};  // au
constexpr Element ECCENTRICITY{0.24882730, 0.00005170};
constexpr Element INCLINATION{17.14001206, 0.00004818};        // degrees
constexpr Element MEAN_LONGITUDE{238.92903833, 145.20780515};  // degrees
constexpr Element PERIHELION{224.06891629, -0.04062942};       // longitude of perihelion, degrees
constexpr Element NODE{110.30393684, -0.01183482};             // longitude of ascending node, degrees
constexpr double OBLIQUITY_J2000 = 23.43928 * ERFA_DD2R;

// Heliocentric position, ecliptic and equinox J2000, au.
void eclipticPosition(double centuries, double p[3]) {
  const double a = SEMI_MAJOR_AXIS.at(centuries);
  const double e = ECCENTRICITY.at(centuries);
  const double i = INCLINATION.at(centuries) * ERFA_DD2R;
  const double node = NODE.at(centuries) * ERFA_DD2R;
  const double perihelion = PERIHELION.at(centuries) * ERFA_DD2R;
  const double argument = perihelion - node;
  const double meanAnomaly = eraAnpm(MEAN_LONGITUDE.at(centuries) * ERFA_DD2R - perihelion);
  double E = meanAnomaly + e * std::sin(meanAnomaly);
  for (int n = 0; n < 20; ++n) {
    const double step = (E - e * std::sin(E) - meanAnomaly) / (1.0 - e * std::cos(E));
    E -= step;
    if (std::fabs(step) < 1e-12) break;
  }
  const double x = a * (std::cos(E) - e);
  const double y = a * std::sqrt(1.0 - e * e) * std::sin(E);
  const double cw = std::cos(argument), sw = std::sin(argument);
  const double cn = std::cos(node), sn = std::sin(node);
  const double ci = std::cos(i), si = std::sin(i);
  p[0] = (cw * cn - sw * sn * ci) * x + (-sw * cn - cw * sn * ci) * y;
  p[1] = (cw * sn + sw * cn * ci) * x + (-sw * sn + cw * cn * ci) * y;
  p[2] = sw * si * x + cw * si * y;
}

void equatorialPosition(double centuries, double p[3]) {
  double ecl[3];
  eclipticPosition(centuries, ecl);
  const double c = std::cos(OBLIQUITY_J2000), s = std::sin(OBLIQUITY_J2000);
  p[0] = ecl[0];
  p[1] = c * ecl[1] - s * ecl[2];
  p[2] = s * ecl[1] + c * ecl[2];
}

}  // namespace

namespace kestor_astro {

void plutoHeliocentric(double tt1, double tt2, double pv[2][3]) {
  const double centuries = ((tt1 - ERFA_DJ00) + tt2) / ERFA_DJC;
  const double day = 1.0 / ERFA_DJC;
  double before[3], after[3];
  equatorialPosition(centuries, pv[0]);
  equatorialPosition(centuries - day, before);
  equatorialPosition(centuries + day, after);
  for (int k = 0; k < 3; ++k) pv[1][k] = (after[k] - before[k]) / 2.0;
}

}  // namespace kestor_astro
