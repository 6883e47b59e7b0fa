#include "app/VersionBanner.h"

#include "kestor/KESTOR.h"

QString versionBanner(const QString &name, const QString &version, const QString &build, const SystemVersion &system) {
  return QStringLiteral("%1 %2_%3 KESTOR %4 OS %5.%6_%7")
      .arg(name, version, build, KESTOR::frameworkVersion())
      .arg(system.major)
      .arg(system.minor)
      .arg(system.patch);
}
