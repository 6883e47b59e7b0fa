#include "kestor/discovery/ServiceNames.h"

#include <QSettings>
#include <QStringList>

#include "core/Globals.h"

QString ownServiceName() {
  const QVariant stored = defaults().value(QStringLiteral("kestorServiceName"));
  return stored.typeId() == QMetaType::QString ? stored.toString() : appName();
}

QString serviceText(const QString &name, const QString &what) {
  return QStringLiteral("KESTOR Service ") + name + u' ' + what;
}

QString errorText(const QMap<QString, qint64> &errors) {
  QStringList entries;
  for (auto entry = errors.begin(); entry != errors.end(); ++entry)
    entries.append(u'"' + entry.key() + QStringLiteral("\": ") + QString::number(entry.value()));
  return u'[' + entries.join(QStringLiteral(", ")) + u']';
}
