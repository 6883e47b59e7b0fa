// How long the main thread keeps its events waiting: a precise 10 ms heartbeat on the main
// thread whose lateness (the time between two beats beyond 10 ms) is the longest wait any event
// queued meanwhile could have had.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

class EventLoopProbe {
public:
  static constexpr int BEAT_MS = 10;

  EventLoopProbe();
  // Starts (again) from no waits.
  void start();
  void stop() { timer.stop(); }
  // The longest lateness of a beat so far, in milliseconds.
  double longestWaitMs() const { return longest / 1e6; }

private:
  QTimer timer;
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longest = 0;  // nanoseconds
};
