#include "kestor/discovery/ServiceNames.h"

#include <QStringList>

#include "core/Globals.h"
#include "core/Settings.h"

QString ownServiceName() { return UserDefaults::textForKey(Setting::SERVICE_NAME.name(), appName()); }

QString serviceText(const QString &name, const QString &what) {
  return QStringLiteral("KESTOR Service ") + name + u' ' + what;
}

QString errorText(const QMap<QString, qint64> &errors) {
  QStringList entries;
  for (auto entry = errors.begin(); entry != errors.end(); ++entry)
    entries.append(u'"' + entry.key() + QStringLiteral("\": ") + QString::number(entry.value()));
  return u'[' + entries.join(QStringLiteral(", ")) + u']';
}
