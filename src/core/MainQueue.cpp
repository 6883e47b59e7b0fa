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

MainQueue::MainQueue(int fd) : fd(fd), notifier(fd, QSocketNotifier::Read) {
  QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [this] { drain(); });
}

void MainQueue::post(std::function<void()> block) {
  std::lock_guard guard(mutex);
  blocks.push_back(std::move(block));
  arm();
}

void MainQueue::arm() {
  if (armed) return;
  armed = true;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}

void MainQueue::drain() {
  uint64_t count = 0;
  {
    std::lock_guard guard(mutex);
    [[maybe_unused]] const ssize_t taken = read(fd, &count, sizeof count);
    armed = false;
  }
  for (size_t ran = 0; ran < BATCH; ++ran) {
    std::function<void()> block;
    {
      std::lock_guard guard(mutex);
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
