// Runs the application-shell tests inside a QApplication, with the program's names set and the
// settings in a private scratch folder that is removed afterwards.
#include "app/ApplicationIdentity.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
  qputenv("HOME", QFile::encodeName(scratch.path()));
  ApplicationIdentity::apply();
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
