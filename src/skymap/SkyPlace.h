// Places of many entries for one site and instant, computed with one shared Earth-orientation
// context: the same results as MapEntry::updateStar and updatePlanet at that instant.
#pragma once

#include "skymap/MapEntry.h"

struct kestor_site_context;

struct SkyPlace {
  double ra, dec, alt, az;

  // What updateStar computes for the entry under the context (NaN without a context).
  static SkyPlace ofStar(const MapEntry &entry, const kestor_site_context *context);
  // What updatePlanet computes.
  static SkyPlace ofBody(const MapEntry &entry, const kestor_site_context *context);
  void applyTo(MapEntry &entry) const;
};

// Owns a context for the site now; null when the library cannot make one.
class SiteContext {
public:
  SiteContext(double latitude, double longitude, double elevation);
  ~SiteContext();
  SiteContext(const SiteContext &) = delete;
  SiteContext &operator=(const SiteContext &) = delete;
  const kestor_site_context *get() const { return context; }

private:
  kestor_site_context *context;
};
