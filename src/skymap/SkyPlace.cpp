#include "skymap/SkyPlace.h"

#include <kestor.h>

namespace {

SkyPlace altAz(double ra, double dec, const kestor_site_context *context) {
  SkyPlace place{ra, dec, 0.0, 0.0};
  kestor_site_eq2hor(context, &place.alt, &place.az, ra, dec);
  return place;
}

}  // namespace

SkyPlace SkyPlace::ofStar(const SkyObject &object, const kestor_site_context *context) {
  double ra = object.j2kRA, dec = object.j2kDec;
  kestor_site_topo_star(context, &ra, &dec, object.pmra, object.pmdec, object.px, object.rv);
  return altAz(ra, dec, context);
}

SkyPlace SkyPlace::ofBody(const SkyObject &object, const kestor_site_context *context) {
  double ra = object.j2kRA, dec = object.j2kDec;
  kestor_site_topo_planet(context, object.id, &ra, &dec);
  return altAz(ra, dec, context);
}

SiteContext::SiteContext(double latitude, double longitude, double elevation)
    : context_(kestor_site_context_new(nullptr, latitude, longitude, elevation)) {}

SiteContext::~SiteContext() { kestor_site_context_free(context_); }
