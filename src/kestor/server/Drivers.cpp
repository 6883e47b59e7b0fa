// The drivers file of server mode: every "driver" element lists a library or executable driver,
// announced to the delegates and loaded at start when its "load_<name>" setting says so.
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <algorithm>

#include "core/Console.h"
#include "core/Dispatch.h"
#include "core/Settings.h"
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/server/KESTORDriver.h"

void KESTOR::readDriversFile(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  QXmlStreamReader reader(&file);
  reader.setNamespaceProcessing(false);
  while (!reader.atEnd() && reader.readNext() != QXmlStreamReader::Invalid) {
    if (reader.tokenType() != QXmlStreamReader::StartElement) continue;
    QMap<QString, QString> attributes;
    for (const auto &attribute : reader.attributes())
      attributes.insert(attribute.qualifiedName().toString(), attribute.value().toString());
    readDriverElement(reader.qualifiedName().toString(), attributes);
  }
}

void KESTOR::readDriverElement(const QString &element, const QMap<QString, QString> &attributes) {
  if (element != QStringLiteral("driver")) return;
  const QString name = attributes.value(QStringLiteral("name"));
  const QString description = attributes.value(QStringLiteral("description"));
  const QString version = attributes.value(QStringLiteral("version"));
  if (!attributes.contains(QStringLiteral("name")) || !attributes.contains(QStringLiteral("description")) ||
      !attributes.contains(QStringLiteral("version")))
    return;
  const bool agent = name.startsWith(QStringLiteral("kestor_agent"));
  std::shared_ptr<Driver> driver;
  bool loadByDefault = false;
  const QString libraries = driverFolders::libraries();
  const QString executables = driverFolders::executables();
  if (!libraries.isEmpty() && QFileInfo::exists(libraries + u'/' + name + QStringLiteral(".so"))) {
    driver = std::make_shared<Driver>(name, description, version, true, framework);
    loadByDefault = name.contains(QStringLiteral("simulator"));
  } else if (!executables.isEmpty() && QFileInfo::exists(executables + u'/' + name)) {
    driver = std::make_shared<Driver>(name, description, version, false, framework);
  } else {
    consoleLine("Driver " + name.toUtf8() + " skipped");
    return;
  }
  if (!agent) {
    driverNames.append(name);
    drivers[name] = driver;
    std::stable_sort(driverNames.begin(), driverNames.end(),
                     [this](const QString &a, const QString &b) { return compareDriverDescriptions(a, b); });
  }
  syncMain([this, driver] { notifyDriverAdded(driver); });
  if (!agent && UserDefaults::boolForKey(Setting::LOAD_DRIVER_PREFIX.name() + name, loadByDefault))
    syncGlobal([driver] { driver->load(); });
}

bool KESTOR::compareDriverDescriptions(const QString &a, const QString &b) const {
  return drivers.at(a)->description() < drivers.at(b)->description();
}

void KESTOR::notifyDriverAdded(const std::shared_ptr<Driver> &driver) {
  notify([&](KESTORDelegate &receiver) { receiver.driverAdded(driver); });
}
