// One driver of the in-process server: a library loaded by the bus library, or a driver
// executable it starts as a subprocess.
#pragma once

#include <QString>

#include <memory>

#include "kestor/KESTOR.h"

class KESTOR::Driver {
public:
  // `framework` supplies the loading calls (tests replace them).
  Driver(QString name, QString label, QString version, bool library, const Framework &framework = {});
  Driver() = delete;

  // The label, or for an executable the label + " [INDI]".
  QString description() const;
  // Loads the library or starts the executable; `state` tells whether it worked, and the setting
  // "load_<name>" remembers it (written to disk at once). Blocks until the load has finished.
  void load();

  QString name;
  QString label;
  QString version;
  bool library = false;
  bool state = false;
  QString path;  // library: the name; executable: the file in the executable-driver folder
  std::unique_ptr<kestor_driver_entry *> driver;          // filled by kestor_load_driver
  std::unique_ptr<kestor_subprocess_entry *> subprocess;  // filled by kestor_start_subprocess

private:
  Framework framework_;
};

namespace driverFolders {
// Where library drivers live: $KESTOR_DRIVER_DIR, else <program folder>/../lib/<program>/drivers
// when it exists, else the build tree's folder.
QString libraries();
// Where a user puts driver executables (or links to them): <user data folder>/<program>/Drivers;
// empty when the platform names no user data folder.
QString executables();
}  // namespace driverFolders
