#include "core/Dispatch.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <future>
#include <latch>
#include <memory>
#include <mutex>

#include "core/GlobalPool.h"
#include "core/MainQueue.h"

bool isMainThread() {
  QCoreApplication *app = QCoreApplication::instance();
  return app == nullptr || QThread::currentThread() == app->thread();
}

void asyncMain(Block block) {
  if (MainQueue *queue = MainQueue::instance()) queue->post(std::move(block));
}

void asyncMain(QObject *context, Block block) {
  if (context == nullptr) return;
  // The context is alive while its thread posts; it is destroyed, if at all, on the main thread.
  asyncMain([guard = QPointer<QObject>(context), block = std::move(block)] {
    if (guard) block();
  });
}

void asyncGlobal(Block block) { GlobalPool::shared().start(std::move(block)); }

void asyncGlobalAfter(double seconds, Block block) {
  if (!(seconds > 0)) seconds = 0;  // negative and NaN
  const auto delay = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(std::min(seconds, 1e9)));
  GlobalPool::shared().startAt(std::chrono::steady_clock::now() + delay, std::move(block));
}

void syncGlobal(Block block) {
  std::promise<void> done;
  GlobalPool::shared().start([&] {
    block();
    done.set_value();
  });
  done.get_future().wait();
}

void concurrentPerform(size_t count, const std::function<void(size_t)> &block) {
  if (count == 0) return;
  // The helpers share a copy of the block and the count of helpers still running, on the heap:
  // no pool thread reads the calling thread's stack.
  struct Shared {
    Shared(const std::function<void(size_t)> &block, size_t helpers)
        : block(block), done(static_cast<std::ptrdiff_t>(helpers)) {}
    const std::function<void(size_t)> block;
    std::latch done;
  };
  const auto shared = std::make_shared<Shared>(block, count - 1);
  for (size_t i = 1; i < count; ++i) {
    GlobalPool::shared().start([shared, i] {
      shared->block(i);
      shared->done.count_down();
    });
  }
  shared->block(0);
  shared->done.wait();
}

void concurrentPerformRows(int64_t rows, int64_t work, int64_t workPerBand,
                           const std::function<void(size_t, int64_t, int64_t)> &block) {
  const int64_t bands = std::clamp<int64_t>(work / workPerBand, 1, std::min(int64_t(MAX_ROW_BANDS), rows));
  concurrentPerform(size_t(bands), [&](size_t band) {
    const auto b = int64_t(band);
    block(band, b * rows / bands, (b + 1) * rows / bands);
  });
}

void syncMain(Block block) {
  MainQueue *queue = MainQueue::instance();
  if (queue == nullptr || isMainThread()) {
    block();
    return;
  }
  // The flag is set and signalled under the lock, so the waiter cannot leave (and destroy the
  // primitives) before the main thread is done with them.
  std::mutex mutex;
  std::condition_variable ran;
  bool done = false;
  queue->post([&] {
    block();
    std::lock_guard guard(mutex);
    done = true;
    ran.notify_one();
  });
  std::unique_lock guard(mutex);
  ran.wait(guard, [&] { return done; });
}
