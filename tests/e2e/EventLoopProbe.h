// How long the main thread keeps its events waiting: a precise 10 ms heartbeat on the main
// thread whose lateness (the time between two beats beyond 10 ms) is the longest wait any event
// queued meanwhile could have had.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

class EventLoopProbe {
public:
  static constexpr int BEAT_MS = 10;

  EventLoopProbe() {
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(BEAT_MS);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      const qint64 now = clock.nsecsElapsed();
      longest = std::max(longest, now - last - qint64(BEAT_MS) * 1000000);
      last = now;
      ++beats_;
    });
  }
  // Starts (again) from no waits.
  void start() {
    longest = 0;
    beats_ = 0;
    clock.start();
    last = clock.nsecsElapsed();
    timer.start();
  }
  void stop() { timer.stop(); }
  // The longest lateness of a beat so far, in milliseconds.
  double longestWaitMs() const { return double(longest) / 1e6; }
  // The beats since the start.
  qint64 beats() const { return beats_; }

private:
  QTimer timer;
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longest = 0;  // nanoseconds
  qint64 beats_ = 0;
};
