// The place of one object for one site and instant, computed with a shared Earth-orientation
// context: the same results as MapEntry::updateStar and updatePlanet at that instant.
#pragma once

#include "skymap/SkyObject.h"

struct kestor_site_context;

struct SkyPlace {
  double ra = 0, dec = 0;  // apparent topocentric, hours and degrees
  double alt = 0, az = 0;  // degrees, azimuth north 0, east 90

  // The catalogue place carried to the site under the context (NaN without a context).
  static SkyPlace ofStar(const SkyObject &object, const kestor_site_context *context);
  // The place of the solar-system body whose number is the object's id.
  static SkyPlace ofBody(const SkyObject &object, const kestor_site_context *context);
};

// Owns a context for the site now; null when the library cannot make one.
class SiteContext {
public:
  SiteContext(double latitude, double longitude, double elevation);
  ~SiteContext();
  SiteContext(const SiteContext &) = delete;
  SiteContext &operator=(const SiteContext &) = delete;
  const kestor_site_context *get() const { return context_; }

private:
  kestor_site_context *context_;
};
