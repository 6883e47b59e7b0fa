#include "UpdateLoad.h"

#include "EventLoopProbe.h"
#include "LoadGoals.h"
#include "EventLoopWait.h"
#include "LoadPanel.h"
#include "support/ResidentMemory.h"
#include "widgets/PropertyWidget.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <cmath>
#include <vector>

namespace {

// Resident memory (MiB) sampled at seconds since the request; the mean from `from` to `to`.
using Samples = std::vector<std::pair<double, double>>;

double meanMB(const Samples &samples, double from, double to) {
  double sum = 0;
  int count = 0;
  for (const auto &[at, mb] : samples) {
    if (at >= from && at < to) {
      sum += mb;
      ++count;
    }
  }
  return count ? sum / count : 0;
}

}  // namespace

UpdateFigures runUpdateLoad(LoadPanel &panel, int rate, double seconds) {
  UpdateFigures figures;
  figures.rate = rate;
  figures.seconds = seconds;
  figures.sent = std::lround(rate * seconds);
  PropertyWidget *widget = panel.widget(QStringLiteral("LOAD_VALUES"));
  auto *sequence = widget ? widget->findChild<QLineEdit *>(QStringLiteral("value:SEQUENCE")) : nullptr;
  if (!sequence) return figures;

  Samples samples;
  QElapsedTimer clock;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    samples.emplace_back(clock.elapsed() / 1000.0, test_support::megabytes(test_support::residentBytes()));
  });
  EventLoopProbe probe;
  const long before = panel.valueChanges.changes;
  const QString last = QString::number(figures.sent);

  clock.start();
  sampler.start(250);
  probe.start();
  panel.change(QStringLiteral("LOAD_PUBLISH"), {{QStringLiteral("RATE"), rate}, {QStringLiteral("DURATION"), seconds}});
  figures.lastShown =
      waitUntil([&] { return sequence->text() == last; }, int(seconds * 1000) + 10000, load_goals::CHECK_MS);
  figures.elapsed = clock.elapsed() / 1000.0;
  probe.stop();
  sampler.stop();

  figures.delivered = panel.valueChanges.changes - before;
  figures.longestWaitMs = probe.longestWaitMs();
  figures.firstMB = meanMB(samples, 0, seconds / 3);
  figures.lastMB = meanMB(samples, seconds * 2 / 3, seconds);
  return figures;
}

QStringList UpdateFigures::misses() const {
  QStringList misses;
  if (!lastShown) misses << QStringLiteral("the last update was not shown");
  if (elapsed > seconds + 2)
    misses << QStringLiteral("the updates took %1 s instead of %2 s").arg(elapsed).arg(seconds);
  if (longestWaitMs > load_goals::MAX_EVENT_WAIT_MS) {
    misses << QStringLiteral("an event waited %1 ms on the main thread").arg(longestWaitMs, 0, 'f', 1);
  }
  if (load_goals::CHECK_MEMORY && lastMB - firstMB > load_goals::UPDATE_RSS_GROWTH_MB) {
    misses
        << QStringLiteral("resident memory grew from %1 MiB to %2 MiB").arg(firstMB, 0, 'f', 1).arg(lastMB, 0, 'f', 1);
  }
  return misses;
}

QString UpdateFigures::summary() const {
  return QStringLiteral(
             "%1 updates/s for %2 s: %3 sent, %4 delivered to the main thread, last shown after %5 s; "
             "longest event wait %6 ms (goal < %7 ms); resident memory %8 MiB in the first third, "
             "%9 MiB in the last (goal: growth <= %10 MiB)")
      .arg(rate)
      .arg(seconds)
      .arg(sent)
      .arg(delivered)
      .arg(elapsed, 0, 'f', 2)
      .arg(longestWaitMs, 0, 'f', 1)
      .arg(load_goals::MAX_EVENT_WAIT_MS)
      .arg(firstMB, 0, 'f', 1)
      .arg(lastMB, 0, 'f', 1)
      .arg(load_goals::UPDATE_RSS_GROWTH_MB);
}
