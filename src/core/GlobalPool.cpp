#include "core/GlobalPool.h"

#include <thread>

GlobalPool &GlobalPool::shared() {
  static GlobalPool *pool = new GlobalPool;  // never destroyed: exit never waits for its threads
  return *pool;
}

void GlobalPool::start(std::function<void()> block) {
  std::unique_lock guard(mutex);
  queue.push_back(std::move(block));
  if (idle > static_cast<int>(queue.size()) - 1 || threads >= MAX_THREADS) {
    wake.notify_one();
    return;
  }
  ++threads;
  guard.unlock();
  std::thread([this] { work(); }).detach();
}

void GlobalPool::startAt(std::chrono::steady_clock::time_point when, std::function<void()> block) {
  start([when, block = std::move(block)] {
    std::this_thread::sleep_until(when);
    block();
  });
}

void GlobalPool::work() {
  std::unique_lock guard(mutex);
  for (;;) {
    if (queue.empty()) {
      ++idle;
      const bool woken = wake.wait_for(guard, IDLE_EXPIRY, [this] { return !queue.empty(); });
      --idle;
      if (!woken) break;
    }
    std::function<void()> block = std::move(queue.front());
    queue.pop_front();
    guard.unlock();
    block();
    block = nullptr;
    guard.lock();
  }
  --threads;
}
