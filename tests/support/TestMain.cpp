// The main of every Qt test program: a scratch run (offscreen, HOME and settings in a scratch
// folder, the program's names), no proxy between the tests and their loopback peers, then a
// QApplication with the image decoders for the widget tests (KESTOR_TEST_GUI) or a
// QCoreApplication for the rest, then every GoogleTest case.
#include "ScratchRun.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#ifdef KESTOR_TEST_GUI
#include "image/ImageRepRegistry.h"

#include <QApplication>
#include <QStyleFactory>
#endif

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  const ScratchRun run;
  if (!run.ok()) return 1;
#ifdef KESTOR_TEST_GUI
  qputenv("QT_SCALE_FACTOR", "1");
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  ImageRepRegistry::registerImageRepClasses();
#else
  QCoreApplication application(argc, argv);
#endif
  QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
