#include "BlobLoad.h"

#include "LoadGoals.h"
#include "EventLoopWait.h"
#include "LoadPanel.h"
#include "support/ResidentMemory.h"
#include "kestor/Model.h"
#include "widgets/ImageView.h"
#include "widgets/PropertyWidget.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <malloc.h>
#include <optional>

namespace {

// Resident memory once the event loop has had a moment to finish what the last image left
// (queued pictures, deferred deletions) and the allocator has given back what it keeps free for
// reuse (a 50 MB image's buffers lie above and below glibc's mmap threshold, so whether the
// freed ones still count as resident depends on the order they were freed in): what the program
// still holds.
// When the view first paints a picture other than the one it had; wait() runs the event loop until
// then without waking it meanwhile, so the run's own checks add nothing to the main thread's time.
class PaintWatch : public QObject {
public:
  explicit PaintWatch(ImageView *view) : view(view) { view->installEventFilter(this); }
  // Whether a new picture was painted within the time-out.
  bool wait(int timeoutMs) {
    previous = view->pixmap().cacheKey();
    painted.reset();
    QEventLoop loop;
    waiting = &loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    waiting = nullptr;
    return painted.has_value();
  }
  std::optional<std::chrono::steady_clock::time_point> painted;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched == view && event->type() == QEvent::Paint && !painted && !view->pixmap().isNull() &&
        view->pixmap().cacheKey() != previous) {
      painted = std::chrono::steady_clock::now();
      if (waiting) waiting->quit();
    }
    return false;
  }

private:
  ImageView *view;
  qint64 previous = 0;
  QEventLoop *waiting = nullptr;
};

double threadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double settledMB() {
  (void)waitUntil([] { return false; }, 500, load_goals::CHECK_MS);
  malloc_trim(0);
  return test_support::megabytes(test_support::residentBytes());
}

// The longest stretch the main thread's event loop stayed busy without going back to wait, from
// the dispatcher's own signals: an event that arrived then waited at most that long. Unlike a timer
// probe it wakes nothing, so the main thread's CPU time over the series is the program's alone.
class BusyStretches {
public:
  BusyStretches() {
    auto *dispatcher = QAbstractEventDispatcher::instance();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &context, [this] {
      if (!awake) awake = std::chrono::steady_clock::now();
    });
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &context, [this] {
      if (!awake) return;
      longestMs = std::max(
          longestMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - *awake).count());
      awake.reset();
    });
  }
  double longestMs = 0;

private:
  QObject context;
  std::optional<std::chrono::steady_clock::time_point> awake;
};

}  // namespace

BlobFigures runBlobLoad(LoadPanel &panel, int count, int width, int height) {
  BlobFigures figures;
  figures.count = count;
  figures.imageMB = double((qint64(width) * height * 2 + 2880 * 2) / 2880 * 2880) / 1e6;
  const auto image = panel.property(QStringLiteral("IMAGE"));
  PropertyWidget *widget = panel.widget(QStringLiteral("IMAGE"));
  auto *view = widget ? widget->findChild<ImageView *>(QStringLiteral("value:IMAGE")) : nullptr;
  if (!image || !view) return figures;
  panel.kestor().enableBLOB(image, true);
  figures.startMB = settledMB();

  BusyStretches busy;
  PaintWatch paints(view);
  double total = 0;
  double totalShowMs = 0;
  // The main thread's CPU time over the series, but for the run's own settling after the second image.
  double cpuMs = -threadCpuMs();
  for (int frame = 1; frame <= count; ++frame) {
    QElapsedTimer clock;
    clock.start();
    panel.change(
        QStringLiteral("IMAGE_SEND"),
        {{QStringLiteral("WIDTH"), width}, {QStringLiteral("HEIGHT"), height}, {QStringLiteral("FRAME"), frame}});
    if (!paints.wait(int(load_goals::MAX_PREVIEW_SECONDS * 1000))) break;
    const double seconds = clock.elapsed() / 1000.0;
    const double showMs =
        std::chrono::duration<double, std::milli>(*paints.painted - panel.imageChanges.lastChange).count();
    totalShowMs += showMs;
    figures.slowestShowMs = std::max(figures.slowestShowMs, showMs);
    ++figures.shown;
    total += seconds;
    figures.slowestSeconds = std::max(figures.slowestSeconds, seconds);
    figures.peakMB = std::max(figures.peakMB, test_support::megabytes(test_support::residentBytes()));
    if (frame == std::min(count, 2)) {
      cpuMs += threadCpuMs();
      figures.levelMB = settledMB();
      cpuMs -= threadCpuMs();
    }
  }
  cpuMs += threadCpuMs();
  figures.longestWaitMs = busy.longestMs;
  figures.meanSeconds = figures.shown ? total / figures.shown : 0;
  figures.meanShowMs = figures.shown ? totalShowMs / figures.shown : 0;
  if (figures.shown) figures.mainThreadMs = cpuMs / figures.shown;
  figures.afterLastMB = settledMB();
  return figures;
}

double BlobFigures::allowedGrowthMB() const {
  return load_goals::BLOB_RSS_GROWTH_IMAGES * imageMB * 1e6 / (1024 * 1024);
}

QStringList BlobFigures::misses() const {
  QStringList misses;
  if (shown < count) misses << QStringLiteral("only %1 of %2 previews appeared").arg(shown).arg(count);
  if (load_goals::CHECK_MEMORY && afterLastMB - levelMB > allowedGrowthMB()) {
    misses << QStringLiteral("resident memory was %1 MiB after the second image and %2 MiB after the last")
                  .arg(levelMB, 0, 'f', 1)
                  .arg(afterLastMB, 0, 'f', 1);
  }
  return misses;
}

QStringList BlobFigures::timingMisses() const {
  QStringList misses;
  if (slowestShowMs > load_goals::MAX_SHOW_MS) {
    misses << QStringLiteral("a preview took %1 ms from its update to the screen").arg(slowestShowMs, 0, 'f', 1);
  }
  if (mainThreadMs > load_goals::MAX_MAIN_THREAD_MS_PER_IMAGE) {
    misses << QStringLiteral("the main thread spent %1 ms per image").arg(mainThreadMs, 0, 'f', 1);
  }
  return misses;
}

QString BlobFigures::summary() const {
  return QStringLiteral(
             "%1 images of %2 MB: %3 previews shown, %4 s on average, slowest %5 s; from the update on "
             "the main thread to the preview painted %6 ms on average, slowest %7 ms (goal: %8 ms); main "
             "thread %9 ms per image (goal: %10 ms); longest busy stretch of the event loop %11 ms; ")
             .arg(count)
             .arg(imageMB, 0, 'f', 1)
             .arg(shown)
             .arg(meanSeconds, 0, 'f', 2)
             .arg(slowestSeconds, 0, 'f', 2)
             .arg(meanShowMs, 0, 'f', 1)
             .arg(slowestShowMs, 0, 'f', 1)
             .arg(load_goals::MAX_SHOW_MS)
             .arg(mainThreadMs, 0, 'f', 1)
             .arg(load_goals::MAX_MAIN_THREAD_MS_PER_IMAGE)
             .arg(longestWaitMs, 0, 'f', 1) +
         QStringLiteral(
             "resident memory %1 MiB before, %2 MiB after the second, peak %3 MiB, %4 MiB after the last "
             "(goal: within %5 MiB of after the second)")
             .arg(startMB, 0, 'f', 1)
             .arg(levelMB, 0, 'f', 1)
             .arg(peakMB, 0, 'f', 1)
             .arg(afterLastMB, 0, 'f', 1)
             .arg(allowedGrowthMB(), 0, 'f', 1);
}
