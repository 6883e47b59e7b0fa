#include "skymap/SkyPlace.h"

#include <kestor.h>

namespace {

SkyPlace altAz(double ra, double dec, const kestor_site_context *context) {
  SkyPlace place{ra, dec, 0.0, 0.0};
  kestor_site_eq2hor(context, &place.alt, &place.az, ra, dec);
  return place;
}

}  // namespace

SkyPlace SkyPlace::ofStar(const MapEntry &entry, const kestor_site_context *context) {
  double ra = entry.j2kRA, dec = entry.j2kDec;
  kestor_site_topo_star(context, &ra, &dec, entry.promora, entry.promodec, entry.px, entry.rv);
  return altAz(ra, dec, context);
}

SkyPlace SkyPlace::ofBody(const MapEntry &entry, const kestor_site_context *context) {
  double ra = entry.j2kRA, dec = entry.j2kDec;
  kestor_site_topo_planet(context, entry.id, &ra, &dec);
  return altAz(ra, dec, context);
}

void SkyPlace::applyTo(MapEntry &entry) const {
  entry.ra = ra;
  entry.dec = dec;
  entry.alt = alt;
  entry.az = az;
}

SiteContext::SiteContext(double latitude, double longitude, double elevation)
    : context(kestor_site_context_new(nullptr, latitude, longitude, elevation)) {}

SiteContext::~SiteContext() {
  kestor_site_context_free(context);
}
