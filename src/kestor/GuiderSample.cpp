#include "kestor/GuiderSample.h"

#include <array>

#include "kestor/Property.h"

std::optional<GuiderSample> GuiderSample::read(const KESTOR::Property &stats) {
  static const std::array<QString, 7> names{
      QStringLiteral("FRAME"),     QStringLiteral("DRIFT_X"), QStringLiteral("DRIFT_Y"), QStringLiteral("DRIFT_RA"),
      QStringLiteral("DRIFT_DEC"), QStringLiteral("CORR_RA"), QStringLiteral("CORR_DEC")};
  std::array<double, 7> values{};
  for (size_t i = 0; i < names.size(); ++i) {
    const std::optional<double> value = stats.number(names[i]);
    if (!value) {
      return std::nullopt;
    }
    values[i] = *value;
  }
  return GuiderSample{values[0], {values[1], values[2]}, {values[3], values[4]}, {values[5], values[6]}};
}
