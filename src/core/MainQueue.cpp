#include "core/MainQueue.h"

#include <QCoreApplication>

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/Console.h"

namespace {

std::atomic<MainQueue *> current{nullptr};

}  // namespace

MainQueue *MainQueue::instance() { return current.load(std::memory_order_acquire); }

void MainQueue::create() {
  if (instance() != nullptr) return;
  const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) {
    consoleLine("The main queue is unavailable (eventfd: " + QByteArray(std::strerror(errno)) +
                "): blocks handed to the main thread are dropped, or run in place when waited for");
    return;
  }
  current.store(new MainQueue(fd), std::memory_order_release);  // lives as long as the program
  // Once the application is gone nothing runs the queue: blocks are then dropped or run in place.
  qAddPostRoutine([] { current.store(nullptr, std::memory_order_release); });
}

namespace {

void createMainQueue() { MainQueue::create(); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(createMainQueue)

MainQueue::MainQueue(int fd) : fd_(fd), notifier_(fd, QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { drain(); });
}

void MainQueue::post(std::function<void()> block) {
  std::lock_guard guard(mutex_);
  blocks.push_back(std::move(block));
  arm();
}

void MainQueue::arm() {
  if (armed_) return;
  armed_ = true;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
}

void MainQueue::drain() {
  uint64_t count = 0;
  {
    std::lock_guard guard(mutex_);
    [[maybe_unused]] const ssize_t taken = read(fd_, &count, sizeof count);
    armed_ = false;
  }
  for (size_t ran = 0; ran < BATCH; ++ran) {
    std::function<void()> block;
    {
      std::lock_guard guard(mutex_);
      if (blocks.empty()) return;
      block = std::move(blocks.front());
      blocks.pop_front();
      // With more to come the event loop is woken again, also a nested one that this block may
      // run, which then goes on with the blocks after it, in order.
      if (!blocks.empty()) arm();
    }
    block();
  }
}
