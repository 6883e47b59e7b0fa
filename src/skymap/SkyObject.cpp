#include "skymap/SkyObject.h"

#include <algorithm>
#include <cmath>

QString SkyObject::nameText() const {
  if (commonName == nullptr || commonName[0] == '\0') return QString::fromUtf8(name);
  return QString::fromUtf8(name) + QStringLiteral(", ") + QString::fromUtf8(commonName);
}

float SkyObject::diameterFor(float mag, float arcminutes) {
  return arcminutes != 0.0f ? arcminutes / 60.0f : std::min(1.0f, 1.0f / std::pow(1.4f, mag));
}
