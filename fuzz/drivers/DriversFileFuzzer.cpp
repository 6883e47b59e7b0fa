// Reads arbitrary bytes as the drivers file of server mode. A scratch folder holds the driver
// files the seeds name (two libraries, one executable) and the settings; loading is replaced by
// a call that only counts, so a listed simulator is "loaded" and its setting written.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

#include "core/Console.h"
#include "kestor/KESTOR.h"
#include "kestor/server/KESTORDriver.h"

namespace {

QTemporaryDir *scratch;
QString driversFile;
KESTOR *kestor;  // one for the process, as the program has: its client record is never freed
int loads;

kestor_result countLoad(const char *, bool, kestor_driver_entry **) { return ++loads, KESTOR_OK; }
kestor_result countStart(const char *, kestor_subprocess_entry **) { return ++loads, KESTOR_OK; }

void touch(const QString &path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile(path).open(QIODevice::WriteOnly);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  scratch = new QTemporaryDir();
  if (!scratch->isValid()) std::abort();
  const QString root = scratch->path();
  qputenv("KESTOR_DRIVER_DIR", (root + QStringLiteral("/lib")).toUtf8());
  qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
  qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
  new QCoreApplication(*argc, *argv);
  touch(root + QStringLiteral("/lib/indi_simulator_ccd.so"));
  touch(root + QStringLiteral("/lib/kestor_agent_imager.so"));
  touch(driverFolders::executables() + QStringLiteral("/indi_lx200generic"));
  driversFile = root + QStringLiteral("/drivers.xml");
  setConsoleSink([](const QByteArray &) {});  // "Driver … skipped" lines by the thousand
  kestor = new KESTOR(nullptr, nullptr);
  kestor->framework.loadDriver = &countLoad;
  kestor->framework.startSubprocess = &countStart;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  QFile file(driversFile);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
  file.write(reinterpret_cast<const char *>(data), qint64(size));
  file.close();
  kestor->driverNames.clear();
  kestor->drivers.clear();
  kestor->readDriversFile(driversFile);
  // Every listed name (a name listed twice is there twice) has its driver, in description order.
  for (qsizetype i = 0; i < kestor->driverNames.size(); ++i)
    if (!kestor->drivers.count(kestor->driverNames[i]) ||
        (i > 0 && kestor->compareDriverDescriptions(kestor->driverNames[i], kestor->driverNames[i - 1])))
      std::abort();
  return 0;
}
