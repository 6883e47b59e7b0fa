#include "kestor/server/KESTORDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "core/Globals.h"
#include "core/Settings.h"

namespace driverFolders {

QString libraries() {
  if (const QByteArray folder = qgetenv("KESTOR_DRIVER_DIR"); !folder.isEmpty()) return QString::fromLocal8Bit(folder);
  const QString program = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
  const QString installed =
      QDir::cleanPath(program + QStringLiteral("/../lib/") + appName() + QStringLiteral("/drivers"));
  return !program.isEmpty() && QFileInfo(installed).isDir() ? installed : QStringLiteral(KESTOR_BUILD_DRIVER_DIR);
}

QString executables() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return data.isEmpty() ? QString() : data + u'/' + appName() + QStringLiteral("/Drivers");
}

}  // namespace driverFolders

KESTOR::Driver::Driver(QString name, QString label, QString version, bool library, const Framework &framework)
    : name(name),
      label(std::move(label)),
      version(std::move(version)),
      library(library),
      path(name),
      driver(std::make_unique<kestor_driver_entry *>(nullptr)),
      subprocess(std::make_unique<kestor_subprocess_entry *>(nullptr)),
      framework_(framework) {
  if (const QString folder = driverFolders::executables(); !library && !folder.isEmpty()) path = folder + u'/' + name;
}

QString KESTOR::Driver::description() const { return library ? label : label + QStringLiteral(" [INDI]"); }

void KESTOR::Driver::load() {
  const QByteArray target = (library ? name : path).toUtf8();
  const kestor_result result = library ? framework_.loadDriver(target.constData(), true, driver.get())
                                       : framework_.startSubprocess(target.constData(), subprocess.get());
  state = result == KESTOR_OK || result == KESTOR_ALREADY;
  UserDefaults::write(Setting::LOAD_DRIVER_PREFIX.name() + name, state);
  defaults().sync();
}
