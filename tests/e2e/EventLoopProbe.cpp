#include "EventLoopProbe.h"

#include <algorithm>

EventLoopProbe::EventLoopProbe() {
  timer.setTimerType(Qt::PreciseTimer);
  timer.setInterval(BEAT_MS);
  QObject::connect(&timer, &QTimer::timeout, [this] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last - qint64(BEAT_MS) * 1000000);
    last = now;
  });
}

void EventLoopProbe::start() {
  longest = 0;
  clock.start();
  last = clock.nsecsElapsed();
  timer.start();
}
