// Entry point of the sky-map tests: an offscreen QApplication whose settings live in a scratch
// folder of this process, then every GoogleTest case.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir scratch;
  qputenv("XDG_CONFIG_HOME", scratch.path().toUtf8());
  qputenv("HOME", scratch.path().toUtf8());
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("kestor-skymap-tests"));
  QApplication::setApplicationName(QStringLiteral("kestor-skymap-tests"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
