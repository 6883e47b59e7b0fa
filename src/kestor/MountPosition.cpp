#include "kestor/MountPosition.h"

#include "kestor/Device.h"
#include "kestor/Property.h"

namespace {

// The device's property of that name, or null.
const KESTOR::Property *deviceProperty(const KESTOR::Property &property, const QString &name) {
  const auto &properties = property.device->properties;
  const auto found = properties.find(name);
  return found == properties.end() ? nullptr : found->second.get();
}

}  // namespace

std::optional<MountPosition> MountPosition::read(const KESTOR::Property &equatorial) {
  const std::optional<double> ra = equatorial.number(QStringLiteral("RA"));
  const std::optional<double> dec = equatorial.number(QStringLiteral("DEC"));
  if (!ra || !dec) {
    return std::nullopt;
  }
  MountPosition position;
  position.ra = *ra;
  position.dec = *dec;
  position.slewing = equatorial.state() == KESTOR_STATE_BUSY;
  if (const KESTOR::Property *site = deviceProperty(equatorial, QStringLiteral("GEOGRAPHIC_COORDINATES"))) {
    const auto latitude = site->number(QStringLiteral("LATITUDE"));
    const auto longitude = site->number(QStringLiteral("LONGITUDE"));
    const auto elevation = site->number(QStringLiteral("ELEVATION"));
    if (latitude && longitude && elevation) {
      position.site = Site{*latitude, *longitude, *elevation};
    }
  }
  if (const KESTOR::Property *horizontal = deviceProperty(equatorial, QStringLiteral("MOUNT_HORIZONTAL_COORDINATES"))) {
    const auto alt = horizontal->number(QStringLiteral("ALT"));
    const auto az = horizontal->number(QStringLiteral("AZ"));
    if (alt && az) {
      position.horizontal = Horizontal{*alt, *az};
    }
  }
  return position;
}
