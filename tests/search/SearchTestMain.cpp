// Entry point of the search tests: an offscreen QApplication (the search pops up a menu), settings
// in a scratch folder, and no proxy between the tests and their loopback service.
#include <QApplication>
#include <QNetworkProxy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir scratch;
  qputenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toUtf8());
  QApplication::setOrganizationName(QStringLiteral("kestor-search-tests"));
  QApplication::setApplicationName(QStringLiteral("kestor-search-tests"));
  QApplication app(argc, argv);
  QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
