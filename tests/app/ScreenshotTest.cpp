// The main window as a user sees it on an X display: grabbed from the screen to a PNG (kept in
// the build folder for a look) and checked not to be blank.
#include "EventLoopWait.h"
#include "FakeClient.h"
#include "app/MainInterface.h"
#include "core/Globals.h"

#include <QSettings>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

qsizetype distinctColours(const QImage &image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  }
  return colours.size();
}

TEST(ScreenshotTest, TheMainWindowIsNotBlank) {
  defaults().clear();
  defaults().setValue(QStringLiteral("initialized_") + appVersion(), true);
  MainInterface interface(makeFakeClient());
  interface.delegate.applicationWillFinishLaunching();
  interface.window->show();
  interface.delegate.applicationDidFinishLaunching();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(interface.window.get()));
  KESTOR &kestor = *interface.kestor;
  ASSERT_TRUE(waitUntil([&kestor] { return kestor.messages.size() >= 2; }));
  QTest::qWait(200);

  QScreen *screen = interface.window->screen();
  const QImage shot = screen->grabWindow(interface.window->winId()).toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral(SCREENSHOT_PATH)));
  EXPECT_GE(shot.width(), 400);
  EXPECT_GE(shot.height(), 300);
  EXPECT_GT(distinctColours(shot), 8) << "a blank window has one or two colours";
}

}  // namespace
