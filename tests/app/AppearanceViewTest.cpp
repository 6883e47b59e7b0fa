// Appearance tracking: each paint of the view stores a changed palette as the current appearance
// and tells the delegate once, on a pool thread; the same palette again tells nobody.
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
    onMainThread = onMainThread || QThread::currentThread() == qApp->thread();
    ++count;
  }
  std::atomic_int count = 0;
  std::atomic_bool onMainThread = false;
};

TEST(AppearanceView, StoresEachChangeAndNotifiesOncePerChangeOnAPoolThread) {
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  QPalette unshown;
  unshown.setColor(QPalette::Window, QColor(1, 2, 3));
  setCurrentAppearance(unshown);  // whatever was stored before: the first paint is a change
  AppearanceView view;
  view.resize(40, 30);
  CountingDelegate delegate;
  const struct {
    const char *what;
    QPalette palette;
    bool withDelegate;
    int notified;
  } paints[] = {{"the first paint", light, true, 1},
                {"the same palette again", light, true, 0},
                {"switched to dark", dark, true, 1},
                {"dark again", dark, true, 0},
                {"back to light", light, true, 1},
                {"no delegate", dark, false, 0},
                {"the stored palette, delegate back", dark, true, 0}};
  for (const auto &p : paints) {
    SCOPED_TRACE(p.what);
    view.setDelegate(p.withDelegate ? &delegate : nullptr);
    const int before = delegate.count;
    // As the desktop switches: the application palette reaches the widget through posted events.
    QApplication::setPalette(p.palette);
    QCoreApplication::processEvents();
    view.grab();
    EXPECT_EQ(currentAppearance(), view.palette());
    EXPECT_TRUE(waitUntil([&] { return delegate.count == before + p.notified; }));
    spinFor(50);  // and no later second notification
    EXPECT_EQ(delegate.count, before + p.notified);
  }
  EXPECT_FALSE(delegate.onMainThread);
  QApplication::setPalette(light);
}

}  // namespace
