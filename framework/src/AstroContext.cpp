// The Earth-orientation context of a site and instant, and the places computed with it.
#include "AstroContext.h"

#include <cmath>
#include <limits>
#include <new>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// ERFA wants dRA/dt, the catalogues give mu_alpha * cos(delta).
double raRate(double pmra, double decRadians) {
  const double c = std::cos(decRadians);
  return std::fabs(c) < 1e-12 ? 0.0 : pmra * ERFA_DMAS2R / c;
}

}  // namespace

namespace kestor_astro {

bool fillContext(kestor_site_context &context, double jdUtc, double lat, double lon, double elev) {
  context.latitude = lat;
  context.longitude = lon;
  context.elevation = elev;
  splitJd(jdUtc, context.utc1, context.utc2);
  if (!utcToTt(context.utc1, context.utc2, context.tt1, context.tt2)) return false;
  // Pressure 0 switches refraction off; status +1 ("dubious year") is only a warning.
  const int status = eraApco13(context.utc1, context.utc2, 0.0, lon * ERFA_DD2R, lat * ERFA_DD2R, elev, 0.0, 0.0, 0.0,
                               0.0, 0.0, 0.55, &context.astrom, &context.eo);
  if (status < 0) return false;
  return eraEpv00(context.tt1, context.tt2, context.earthHelio, context.earthBary) >= 0;
}

void apparentPlace(const eraASTROM &astrom, double eo, double *ra, double *dec, double pmra, double pmdec, double px,
                   double rv) {
  const double rc = *ra * 15.0 * ERFA_DD2R;
  const double dc = *dec * ERFA_DD2R;
  double ri, di;
  eraAtciq(rc, dc, raRate(pmra, dc), pmdec * ERFA_DMAS2R, px / 1000.0, rv, const_cast<eraASTROM *>(&astrom), &ri, &di);
  *ra = eraAnp(ri - eo) * ERFA_DR2D / 15.0;
  *dec = di * ERFA_DR2D;
}

}  // namespace kestor_astro

extern "C" kestor_site_context *kestor_site_context_new(const double *jd_utc, double lat, double lon, double elev) {
  auto *context = new (std::nothrow) kestor_site_context;
  if (context == nullptr) return nullptr;
  const double jd = jd_utc != nullptr ? *jd_utc : kestor_astro::nowJd();
  if (!kestor_astro::fillContext(*context, jd, lat, lon, elev)) {
    delete context;
    return nullptr;
  }
  return context;
}

extern "C" void kestor_site_context_free(kestor_site_context *context) { delete context; }

extern "C" void kestor_site_topo_star(const kestor_site_context *context, double *ra, double *dec, double pmra,
                                      double pmdec, double px, double rv) {
  if (context == nullptr) {
    *ra = *dec = NaN;
    return;
  }
  kestor_astro::apparentPlace(context->astrom, context->eo, ra, dec, pmra, pmdec, px, rv);
}

extern "C" void kestor_site_eq2hor(const kestor_site_context *context, double *alt, double *az, double ra, double dec) {
  if (context == nullptr) {
    *alt = *az = NaN;
    return;
  }
  // Local apparent sidereal time: Earth rotation angle plus longitude, less the equation of the origins.
  const double last = context->astrom.eral - context->eo;
  double a, e;
  eraHd2ae(last - ra * 15.0 * ERFA_DD2R, dec * ERFA_DD2R, context->latitude * ERFA_DD2R, &a, &e);
  *az = a * ERFA_DR2D;
  *alt = e * ERFA_DR2D;
}
