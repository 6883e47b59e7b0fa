// Runs the main event loop, as the program does, until a condition holds (checked every checkMs)
// or a time-out passes; whether it held. spinFor runs it for the given time.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs = 5000, int checkMs = 5) {
  if (condition()) return true;
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  check.start(checkMs);
  loop.exec();
  return condition();
}

inline void spinFor(int ms) {
  waitUntil([] { return false; }, ms);
}
