// Appearance tracking: the view stores a changed palette as the current appearance when it is
// painted and tells its delegate once per change, off the main thread; a destroyed delegate is
// forgotten.
#include "EventLoopWait.h"
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

TEST(AppearanceViewTest, NotifiesOncePerChangeOfAppearance) {
  const QPalette original = QApplication::palette();
  QPalette unused, dark;
  unused.setColor(QPalette::Window, QColor(1, 2, 3));  // something no view shows: the first paint is a change
  setCurrentAppearance(unused);
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  AppearanceView view;
  view.resize(40, 30);
  {
    CountingDelegate shortLived;
    view.setDelegate(&shortLived);
  }
  EXPECT_EQ(view.delegate(), nullptr);
  CountingDelegate delegate;
  view.setDelegate(&delegate);
  // As the desktop switches between light and dark: the application palette reaches the widgets
  // through posted events. Repaints with the same palette notify nobody.
  for (const QPalette &palette : {original, original, dark, original}) {
    const int before = delegate.count;
    const bool changes = palette != currentAppearance();
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
    view.grab();
    EXPECT_TRUE(waitUntil([&] { return delegate.count == before + int(changes); }));
    spinFor(100);
    EXPECT_EQ(delegate.count, before + int(changes));
    EXPECT_EQ(currentAppearance(), view.palette());
  }
  EXPECT_EQ(delegate.count, 3);
  EXPECT_TRUE(delegate.offMainThread);
  QApplication::setPalette(original);
}

}  // namespace
