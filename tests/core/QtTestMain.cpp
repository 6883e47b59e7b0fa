// Test main for code that needs an event loop: a QCoreApplication on the main thread, settings in
// a scratch folder so no test touches the user's own.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  QTemporaryDir scratch;
  qputenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toUtf8());
  QCoreApplication::setOrganizationName(QStringLiteral("kestor-tests"));
  QCoreApplication::setApplicationName(QStringLiteral("kestor-tests"));
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
