// Appearance tracking: the view stores a changed palette as the current appearance when it is
// painted and tells its delegate once per change.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "app/AppearanceView.h"
#include "app/AppearanceViewDelegate.h"
#include "image/CurrentAppearance.h"

#include <QApplication>
#include <QThread>

#include <atomic>

#include <gtest/gtest.h>

namespace {

class CountingDelegate : public QObject, public AppearanceViewDelegate {
public:
  void updateAppearance() override {
    offMainThread = offMainThread && QThread::currentThread() != qApp->thread();
    ++count;
  }
  std::atomic_int count = 0;
  std::atomic_bool offMainThread = true;
};

QPalette darkPalette() {
  QPalette palette;
  palette.setColor(QPalette::Window, QColor(30, 30, 30));
  palette.setColor(QPalette::WindowText, QColor(230, 230, 230));
  palette.setColor(QPalette::Base, QColor(20, 20, 20));
  palette.setColor(QPalette::Text, QColor(230, 230, 230));
  return palette;
}

class AppearanceViewTest : public testing::Test {
protected:
  void SetUp() override {
    original = QApplication::palette();
    // Something no view shows, so that the first paint is a change.
    QPalette unused;
    unused.setColor(QPalette::Window, QColor(1, 2, 3));
    setCurrentAppearance(unused);
    view.resize(40, 30);
  }
  void TearDown() override { switchPalette(original); }

  // As the desktop switches between light and dark: the application palette reaches the
  // widgets through posted events.
  static void switchPalette(const QPalette &palette) {
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
  }

  // Waits a little to be sure no further notification is on its way.
  static void settle() { spinFor(100); }

  QPalette original;
  AppearanceView view;
  CountingDelegate delegate;
};

TEST_F(AppearanceViewTest, NotifiesOncePerChangeOfAppearance) {
  view.setDelegate(&delegate);
  view.grab();
  ASSERT_TRUE(waitUntil([this] { return delegate.count == 1; }));
  EXPECT_EQ(currentAppearance(), view.palette());

  view.grab();
  view.grab();
  settle();
  EXPECT_EQ(delegate.count, 1) << "repaints with the same palette notify nobody";

  switchPalette(darkPalette());
  view.grab();
  ASSERT_TRUE(waitUntil([this] { return delegate.count == 2; }));
  EXPECT_EQ(currentAppearance()->color(QPalette::Window), QColor(30, 30, 30));

  switchPalette(original);
  view.grab();
  ASSERT_TRUE(waitUntil([this] { return delegate.count == 3; }));
  settle();
  EXPECT_EQ(delegate.count, 3);
  EXPECT_TRUE(delegate.offMainThread);
}

TEST_F(AppearanceViewTest, WithoutDelegateTheAppearanceIsStillStored) {
  view.grab();
  EXPECT_EQ(currentAppearance(), view.palette());
  EXPECT_EQ(view.delegate(), nullptr);
}

TEST_F(AppearanceViewTest, ADestroyedDelegateIsNotCalled) {
  {
    CountingDelegate shortLived;
    view.setDelegate(&shortLived);
  }
  EXPECT_EQ(view.delegate(), nullptr);
  view.grab();
  EXPECT_EQ(currentAppearance(), view.palette());
}

}  // namespace
