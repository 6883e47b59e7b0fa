#include "app/ApplicationIdentity.h"

#include "core/Globals.h"

#include <QGuiApplication>
#include <QStringList>

QString ApplicationIdentity::organizationName(const QString &identifier) {
  const QStringList pieces = identifier.split(QLatin1Char('.'));
  return pieces.size() >= 2 ? pieces.at(pieces.size() - 2) : identifier;
}

void ApplicationIdentity::apply() {
  const Bundle &bundle = mainBundle();
  QCoreApplication::setOrganizationName(organizationName(bundle.identifier));
  QCoreApplication::setApplicationName(appName());
  QCoreApplication::setApplicationVersion(appVersion());
  QGuiApplication::setDesktopFileName(bundle.identifier);
}
