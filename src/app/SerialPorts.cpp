#include "app/SerialPorts.h"

#include <QDir>

#include <algorithm>
#include <tuple>

namespace {

// A device name as its stem and trailing number ("ttyS10" gives "ttyS" and 10).
std::tuple<QString, qulonglong, QString> orderKey(const QString &name) {
  qsizetype stem = name.size();
  while (stem > 0 && name[stem - 1].isDigit()) --stem;
  return {name.left(stem), name.mid(stem).toULongLong(), name};
}

}  // namespace

QStringList serialPorts(const QString &folder) {
  const QDir devices(folder);
  QStringList names = devices.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*"), QStringLiteral("ttyS*")},
                                        QDir::System | QDir::Files);
  std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return orderKey(a) < orderKey(b); });
  QStringList paths;
  for (const QString &name : names) paths << devices.filePath(name);
  return paths;
}
