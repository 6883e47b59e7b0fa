#include "StepQueue.h"

namespace kestor {

StepQueue::~StepQueue() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !step_; });
    ending_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void StepQueue::post(std::function<void()> step) {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !step_; });
    step_ = std::move(step);
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  }
  changed_.notify_all();
}

void StepQueue::wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !step_; });
}

void StepQueue::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return step_ || ending_; });
    if (!step_) return;
    lock.unlock();
    step_();
    lock.lock();
    step_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace kestor
