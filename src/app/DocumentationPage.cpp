#include "app/DocumentationPage.h"

QUrl documentationAddress(const QString &base, const QString &name, const QString &version, bool whatsNew) {
  QString text = base + QString(name).remove(QLatin1Char('-')).toLower() + QLatin1Char('_') + version;
  if (whatsNew) text += QStringLiteral("#whats_new");
  const QUrl address(text, QUrl::StrictMode);
  if (!address.isValid() || address.scheme().isEmpty() || address.isRelative()) return {};
  return address;
}
