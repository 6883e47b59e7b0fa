#include "BlobLoad.h"

#include "EventLoopProbe.h"
#include "LoadGoals.h"
#include "EventLoopWait.h"
#include "LoadPanel.h"
#include "support/ResidentMemory.h"
#include "kestor/Model.h"
#include "widgets/ImageView.h"
#include "widgets/PropertyWidget.h"

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

// The main thread's CPU time (ms) that one beat of the probe costs, from a second of the idle event
// loop with the probe running: each beat wakes the loop, which on a virtual machine costs tens of
// microseconds, more than the program spends on an image over the beats of its second or two.
double probeBeatMs(EventLoopProbe &probe) {
  probe.start();
  const double before = threadCpuMs();
  QEventLoop loop;
  QTimer::singleShot(1000, &loop, &QEventLoop::quit);
  loop.exec();
  const double spent = threadCpuMs() - before;
  probe.stop();
  return probe.beats() ? spent / double(probe.beats()) : 0;
}

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

  EventLoopProbe probe;
  figures.probeBeatMs = probeBeatMs(probe);
  probe.start();
  PaintWatch paints(view);
  double total = 0;
  double totalShowMs = 0;
  // The main thread's CPU time and the probe's beats over the series, but for the run's own
  // settling after the second image.
  double cpuMs = -threadCpuMs();
  qint64 beats = -probe.beats();
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
      beats += probe.beats();
      figures.levelMB = settledMB();
      cpuMs -= threadCpuMs();
      beats -= probe.beats();
    }
  }
  cpuMs += threadCpuMs();
  beats += probe.beats();
  probe.stop();
  figures.longestWaitMs = probe.longestWaitMs();
  figures.meanSeconds = figures.shown ? total / figures.shown : 0;
  figures.meanShowMs = figures.shown ? totalShowMs / figures.shown : 0;
  if (figures.shown) {
    figures.probeMs = double(beats) * figures.probeBeatMs / figures.shown;
    figures.mainThreadMs = std::max(0.0, cpuMs / figures.shown - figures.probeMs);
  }
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
             "thread %9 ms per image (goal: %10 ms; the event-loop probe's beats, %11 ms per image at %12 µs "
             "each, left out); longest event wait %13 ms; ")
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
             .arg(probeMs, 0, 'f', 1)
             .arg(probeBeatMs * 1000, 0, 'f', 0)
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
