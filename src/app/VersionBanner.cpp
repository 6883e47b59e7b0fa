#include "app/VersionBanner.h"

#include <kestor.h>

QString versionBanner(const QString &name, const QString &version, const QString &build, const SystemVersion &system) {
  return QStringLiteral("%1 %2_%3 KESTOR %4.%5_%6 OS %7.%8_%9")
      .arg(name, version, build)
      .arg(KESTOR_VERSION_MAJOR)
      .arg(KESTOR_VERSION_MINOR)
      .arg(KESTOR_VERSION_BUILD)
      .arg(system.major)
      .arg(system.minor)
      .arg(system.patch);
}
