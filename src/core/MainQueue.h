// The main thread's queue of blocks: any thread appends, the main thread's event loop runs them in
// the order appended. The hand-over uses standard locks and an eventfd watched by the event loop,
// so it never allocates Qt events across threads.
#pragma once

#include <QSocketNotifier>

#include <deque>
#include <functional>
#include <mutex>

class MainQueue {
public:
  // The queue of the running application; nullptr before the QCoreApplication exists.
  static MainQueue *instance();
  // Made on the main thread when the QCoreApplication is constructed; when no eventfd can be
  // had there is no queue, and a console line says why.
  static void create();

  void post(std::function<void()> block);

  // Blocks run per turn of the event loop at most, so other events are not starved.
  static constexpr size_t BATCH = 4096;

private:
  explicit MainQueue(int fd);
  void drain();
  void arm();  // wakes the event loop unless it is already woken; under the lock

  int fd_;
  QSocketNotifier notifier_;
  std::mutex mutex_;
  std::deque<std::function<void()>> blocks;
  bool armed_ = false;  // the eventfd holds a wake-up not yet taken
};
