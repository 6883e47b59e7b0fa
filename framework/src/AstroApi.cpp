// The one-place routines: each thread keeps the context of its last site and refreshes it when
// the site changes or the context is a minute old; in between only the Earth's rotation angle
// is brought to the present instant.
#include "AstroContext.h"

#include <cmath>
#include <limits>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double CONTEXT_LIFETIME = 60.0 / ERFA_DAYSEC;  // days

struct SiteCache {
  bool valid = false;
  double builtJd = 0;
  kestor_site_context context;
};

// The context of this site now, or nullptr when ERFA rejects the date.
const kestor_site_context *siteNow(double lat, double lon, double elev) {
  thread_local SiteCache cache;
  const double jd = kestor_astro::nowJd();
  const bool sameSite =
      cache.context.latitude == lat && cache.context.longitude == lon && cache.context.elevation == elev;
  if (!cache.valid || !sameSite || std::fabs(jd - cache.builtJd) > CONTEXT_LIFETIME) {
    cache.valid = kestor_astro::fillContext(cache.context, jd, lat, lon, elev);
    cache.builtJd = jd;
  } else if (jd != cache.builtJd) {
    double ut1, ut2;
    kestor_astro::splitJd(jd, ut1, ut2);
    eraAper13(ut1, ut2, &cache.context.astrom);
  }
  return cache.valid ? &cache.context : nullptr;
}

struct GeocentricCache {
  bool valid = false;
  double builtJd = 0;
  eraASTROM astrom{};
  double eo = 0;
};

const GeocentricCache *geocentricNow() {
  thread_local GeocentricCache cache;
  const double jd = kestor_astro::nowJd();
  if (!cache.valid || std::fabs(jd - cache.builtJd) > CONTEXT_LIFETIME) {
    double utc1, utc2, tt1, tt2;
    kestor_astro::splitJd(jd, utc1, utc2);
    cache.valid = kestor_astro::utcToTt(utc1, utc2, tt1, tt2);
    if (cache.valid) eraApci13(tt1, tt2, &cache.astrom, &cache.eo);
    cache.builtJd = jd;
  }
  return cache.valid ? &cache : nullptr;
}

}  // namespace

extern "C" void kestor_topo_star(double *ra, double *dec, double lat, double lon, double elev, double pmra,
                                 double pmdec, double px, double rv) {
  kestor_site_topo_star(siteNow(lat, lon, elev), ra, dec, pmra, pmdec, px, rv);
}

extern "C" void kestor_topo_planet(int32_t body, double *ra, double *dec, double lat, double lon, double elev) {
  // The Moon moves half an arcsecond a second: bodies get a context of this instant, not the
  // thread's cached one.
  kestor_site_context context;
  if (!kestor_astro::fillContext(context, kestor_astro::nowJd(), lat, lon, elev)) {
    *ra = *dec = NaN;
    return;
  }
  kestor_site_topo_planet(&context, body, ra, dec);
}

extern "C" void kestor_eq2hor(kestor_client *, double *alt, double *az, double lat, double lon, double elev, double ra,
                              double dec) {
  kestor_site_eq2hor(siteNow(lat, lon, elev), alt, az, ra, dec);
}

extern "C" double kestor_lst(const double *jd_utc, double longitude) {
  double utc1, utc2, tt1, tt2;
  kestor_astro::splitJd(jd_utc != nullptr ? *jd_utc : kestor_astro::nowJd(), utc1, utc2);
  if (!kestor_astro::utcToTt(utc1, utc2, tt1, tt2)) return NaN;
  return eraAnp(eraGst06a(utc1, utc2, tt1, tt2) + longitude * ERFA_DD2R) * ERFA_DR2D / 15.0;
}

extern "C" void kestor_app_star(double *ra, double *dec, double pmra, double pmdec, double px, double rv) {
  const GeocentricCache *cache = geocentricNow();
  if (cache == nullptr) {
    *ra = *dec = NaN;
    return;
  }
  kestor_astro::apparentPlace(cache->astrom, cache->eo, ra, dec, pmra, pmdec, px, rv);
}
