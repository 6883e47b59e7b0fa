#include "core/SerialQueue.h"

SerialQueue::SerialQueue() : worker([this] { work(); }) {}

SerialQueue::~SerialQueue() {
  {
    std::lock_guard guard(mutex);
    stopping = true;
  }
  wake.notify_one();
  worker.join();
}

void SerialQueue::async(std::function<void()> block) {
  {
    std::lock_guard guard(mutex);
    queue.push_back(std::move(block));
  }
  wake.notify_one();
}

void SerialQueue::drain() {
  std::unique_lock guard(mutex);
  idle.wait(guard, [this] { return queue.empty() && !running; });
}

void SerialQueue::work() {
  std::unique_lock guard(mutex);
  for (;;) {
    wake.wait(guard, [this] { return stopping || !queue.empty(); });
    if (queue.empty()) return;
    std::function<void()> block = std::move(queue.front());
    queue.pop_front();
    running = true;
    guard.unlock();
    block();
    block = nullptr;
    guard.lock();
    running = false;
    if (queue.empty()) idle.notify_all();
  }
}
