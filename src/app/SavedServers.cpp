#include "app/SavedServers.h"

#include <QVariantMap>

#include "core/StrictNumber.h"

#include <limits>

namespace {

std::optional<qint64> portReading(const QVariant &port) {
  switch (port.typeId()) {
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::Short:
  case QMetaType::UShort: return port.toLongLong();
  case QMetaType::ULongLong:
    if (port.toULongLong() > quint64(std::numeric_limits<qint64>::max())) return std::nullopt;
    return port.toLongLong();
  case QMetaType::QString: return StrictNumber::toInt64(port.toString());
  default: return std::nullopt;
  }
}

QString describe(const QVariant &value) {
  if (value.typeId() == QMetaType::QVariantMap) return QStringLiteral("a dictionary");
  const QString text = value.toString();
  return text.isEmpty() ? QString::fromLatin1(value.typeName() ? value.typeName() : "nothing") : text;
}

}  // namespace

std::vector<TypedServer> readSavedServers(const QVariant &value, const std::function<void(const QString &)> &skipped) {
  QVariantList entries;
  if (value.typeId() == QMetaType::QVariantList) {
    entries = value.toList();
  } else if (value.typeId() == QMetaType::QVariantMap) {
    entries = {value};
  } else {
    skipped(QStringLiteral("Saved servers skipped: not a list of servers (%1)").arg(describe(value)));
    return {};
  }
  std::vector<TypedServer> servers;
  for (qsizetype i = 0; i < entries.size(); ++i) {
    const QVariant &entry = entries[i];
    if (entry.typeId() != QMetaType::QVariantMap) {
      skipped(QStringLiteral("Saved server %1 skipped: not a host and port (%2)")
                  .arg(QString::number(i + 1), describe(entry)));
      continue;
    }
    const QVariantMap map = entry.toMap();
    const QVariant host = map.value(QStringLiteral("host"));
    if (host.typeId() != QMetaType::QString) {
      skipped(QStringLiteral("Saved server %1 skipped: no host").arg(i + 1));
      continue;
    }
    const std::optional<qint64> port = portReading(map.value(QStringLiteral("port")));
    if (!port) {
      skipped(QStringLiteral("Saved server %1 skipped: no port number for %2")
                  .arg(QString::number(i + 1), host.toString()));
      continue;
    }
    servers.push_back({host.toString(), *port});
  }
  return servers;
}

QVariantList savedServersValue(const std::vector<TypedServer> &servers) {
  QVariantList value;
  for (const TypedServer &server : servers)
    value.append(QVariantMap{{QStringLiteral("host"), server.host}, {QStringLiteral("port"), server.port}});
  return value;
}
