#include "BlobLoad.h"

#include "EventLoopProbe.h"
#include "LoadGoals.h"
#include "LoadPanel.h"
#include "ResidentMemory.h"
#include "kestor/Model.h"
#include "widgets/ImageView.h"
#include "widgets/PropertyWidget.h"

#include <QElapsedTimer>

#include <algorithm>
#include <malloc.h>

namespace {

// Resident memory once the event loop has had a moment to finish what the last image left
// (queued pictures, deferred deletions) and the allocator has given back what it keeps free for
// reuse (a 50 MB image's buffers lie above and below glibc's mmap threshold, so whether the
// freed ones still count as resident depends on the order they were freed in): what the program
// still holds.
double settledMB() {
  (void)runEventLoopUntil([] { return false; }, 500);
  malloc_trim(0);
  return megabytes(residentBytes());
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
  probe.start();
  double total = 0;
  for (int frame = 1; frame <= count; ++frame) {
    const qint64 previous = view->pixmap().cacheKey();
    QElapsedTimer clock;
    clock.start();
    panel.change(QStringLiteral("IMAGE_SEND"),
                 {{QStringLiteral("WIDTH"), width}, {QStringLiteral("HEIGHT"), height}, {QStringLiteral("FRAME"), frame}});
    if (!runEventLoopUntil([&] { return !view->pixmap().isNull() && view->pixmap().cacheKey() != previous; },
                           int(load_goals::MAX_PREVIEW_SECONDS * 1000))) {
      break;
    }
    const double seconds = clock.elapsed() / 1000.0;
    ++figures.shown;
    total += seconds;
    figures.slowestSeconds = std::max(figures.slowestSeconds, seconds);
    figures.peakMB = std::max(figures.peakMB, megabytes(residentBytes()));
    if (frame == std::min(count, 2)) figures.levelMB = settledMB();
  }
  probe.stop();
  figures.longestWaitMs = probe.longestWaitMs();
  figures.meanSeconds = figures.shown ? total / figures.shown : 0;
  figures.afterLastMB = settledMB();
  return figures;
}

double BlobFigures::allowedGrowthMB() const { return load_goals::BLOB_RSS_GROWTH_IMAGES * imageMB * 1e6 / (1024 * 1024); }

QStringList BlobFigures::misses() const {
  QStringList misses;
  if (shown < count) misses << QStringLiteral("only %1 of %2 previews appeared").arg(shown).arg(count);
  if (load_goals::CHECK_MEMORY && afterLastMB - levelMB > allowedGrowthMB()) {
    misses << QStringLiteral("resident memory was %1 MiB after the second image and %2 MiB after the last")
                  .arg(levelMB, 0, 'f', 1).arg(afterLastMB, 0, 'f', 1);
  }
  return misses;
}

QString BlobFigures::summary() const {
  return QStringLiteral("%1 images of %2 MB: %3 previews shown, %4 s on average, slowest %5 s; longest event wait "
                        "%6 ms; resident memory %7 MiB before, %8 MiB after the second, peak %9 MiB, %10 MiB "
                        "after the last (goal: within %11 MiB of after the second)")
      .arg(count).arg(imageMB, 0, 'f', 1).arg(shown).arg(meanSeconds, 0, 'f', 2).arg(slowestSeconds, 0, 'f', 2)
      .arg(longestWaitMs, 0, 'f', 1).arg(startMB, 0, 'f', 1).arg(levelMB, 0, 'f', 1).arg(peakMB, 0, 'f', 1)
      .arg(afterLastMB, 0, 'f', 1).arg(allowedGrowthMB(), 0, 'f', 1);
}
