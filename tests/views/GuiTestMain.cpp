// Entry point of the widget tests: a QApplication with the Fusion style, settings kept in a
// private folder of this process, then every GoogleTest case.
#include <QApplication>
#include <QTemporaryDir>
#include <QStyleFactory>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  qputenv("QT_SCALE_FACTOR", "1");
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  QApplication app(argc, argv);
  QApplication::setOrganizationName("kestor-widget-tests");
  QApplication::setApplicationName("kestor-widget-tests");
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
