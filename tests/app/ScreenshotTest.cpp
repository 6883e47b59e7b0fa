// The main window as a user sees it on an X display: grabbed from the screen to a PNG (kept in
// the build folder for a look) and checked not to be blank.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "app/MainInterface.h"
#include "core/Globals.h"

#include <QSettings>

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

// Grabs the window from the screen, keeps it as <name>.png in the build folder and checks that
// it shows more than the given number of colours.
void expectShown(QWidget *window, const QString &name, qsizetype colours) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  QTest::qWait(200);
  const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral(SCREENSHOT_FOLDER "/") + name + QStringLiteral(".png")));
  EXPECT_GE(shot.width(), 300);
  EXPECT_GE(shot.height(), 200);
  EXPECT_GT(distinctColours(shot), colours) << name.toStdString() << ": a blank window has one or two colours";
}

TEST(ScreenshotTest, TheWindowsAreNotBlank) {
  defaults().clear();
  defaults().setValue(QStringLiteral("initialized_") + appVersion(), true);
  MainInterface interface(makeFakeClient());
  interface.delegate.applicationWillFinishLaunching();
  interface.window->show();
  interface.delegate.applicationDidFinishLaunching();
  KESTOR &kestor = *interface.kestor;
  ASSERT_TRUE(waitUntil([&kestor] { return kestor.messages.size() >= 2; }));
  expectShown(interface.window.get(), QStringLiteral("main-window"), 8);

  interface.mainUi.panelAction->trigger();
  expectShown(interface.panel, QStringLiteral("control-panel"), 2);  // frames of an empty outline and board
  interface.panel->hide();

  interface.mainUi.preferencesAction->trigger();
  expectShown(interface.preferencePanel, QStringLiteral("preferences"), 8);
}

}  // namespace
