// Runs the main event loop until a condition holds or a time-out passes.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

template <typename Condition> bool waitUntil(Condition condition, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::usleep(200);
  }
  return true;
}

// Runs the main event loop for the given time.
inline void spinFor(int ms) {
  waitUntil([] { return false; }, ms);
}
