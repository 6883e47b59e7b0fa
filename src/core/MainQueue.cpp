#include "core/MainQueue.h"

#include <QCoreApplication>

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

namespace {

std::atomic<MainQueue *> current{nullptr};

}  // namespace

MainQueue *MainQueue::instance() { return current.load(std::memory_order_acquire); }

void MainQueue::create() {
  if (instance() != nullptr) return;
  const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) return;
  current.store(new MainQueue(fd), std::memory_order_release);  // lives as long as the program
  // Once the application is gone nothing runs the queue: blocks are then dropped or run in place.
  qAddPostRoutine([] { current.store(nullptr, std::memory_order_release); });
}

namespace {

void createMainQueue() { MainQueue::create(); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(createMainQueue)

MainQueue::MainQueue(int fd) : fd(fd), notifier(fd, QSocketNotifier::Read) {
  QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [this] { drain(); });
}

void MainQueue::post(std::function<void()> block) {
  std::lock_guard guard(mutex);
  blocks.push_back(std::move(block));
  if (!signalled) {
    signalled = true;
    signal();
  }
}

void MainQueue::signal() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}

void MainQueue::drain() {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t taken = read(fd, &count, sizeof count);
  // One block at a time from the shared queue, so a block that runs a nested event loop keeps
  // the order of the blocks after it.
  for (size_t ran = 0;; ++ran) {
    std::function<void()> block;
    {
      std::lock_guard guard(mutex);
      if (blocks.empty()) {
        signalled = false;
        return;
      }
      if (ran == BATCH) {
        signal();  // the rest on the next turn
        return;
      }
      block = std::move(blocks.front());
      blocks.pop_front();
    }
    block();
  }
}
