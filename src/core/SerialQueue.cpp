#include "core/SerialQueue.h"

SerialQueue::SerialQueue() : worker_([this] { work(); }) {}

SerialQueue::~SerialQueue() {
  {
    std::lock_guard guard(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void SerialQueue::async(std::function<void()> block) {
  {
    std::lock_guard guard(mutex_);
    queue.push_back(std::move(block));
  }
  wake_.notify_one();
}

void SerialQueue::drain() {
  std::unique_lock guard(mutex_);
  idle_.wait(guard, [this] { return queue.empty() && !running_; });
}

void SerialQueue::work() {
  std::unique_lock guard(mutex_);
  for (;;) {
    wake_.wait(guard, [this] { return stopping_ || !queue.empty(); });
    if (queue.empty()) return;
    std::function<void()> block = std::move(queue.front());
    queue.pop_front();
    running_ = true;
    guard.unlock();
    block();
    block = nullptr;
    guard.lock();
    running_ = false;
    if (queue.empty()) idle_.notify_all();
  }
}
