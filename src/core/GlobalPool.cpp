#include "core/GlobalPool.h"

#include <thread>

GlobalPool &GlobalPool::shared() {
  static GlobalPool *pool = new GlobalPool;  // never destroyed: exit never waits for its threads
  return *pool;
}

void GlobalPool::start(std::function<void()> block) {
  std::unique_lock guard(mutex_);
  queue.push_back(std::move(block));
  if (idle_ > static_cast<int>(queue.size()) - 1 || threads_ >= MAX_THREADS) {
    wake_.notify_one();
    return;
  }
  ++threads_;
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
  std::unique_lock guard(mutex_);
  for (;;) {
    if (queue.empty()) {
      ++idle_;
      const bool woken = wake_.wait_for(guard, IDLE_EXPIRY, [this] { return !queue.empty(); });
      --idle_;
      if (!woken) break;
    }
    std::function<void()> block = std::move(queue.front());
    queue.pop_front();
    guard.unlock();
    block();
    block = nullptr;
    guard.lock();
  }
  --threads_;
}
