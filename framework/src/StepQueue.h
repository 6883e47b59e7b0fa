// Steps run one after another, in the order handed over, on a thread of the queue's own: a
// connection's reader hands over the step that reads and applies one read's elements and goes on
// parsing the next while the step works and waits for the application's executor. At most one
// step is handed over and not yet finished, so the reader runs at most one read ahead.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kestor {

class StepQueue {
public:
  StepQueue() = default;
  StepQueue(const StepQueue &) = delete;
  StepQueue &operator=(const StepQueue &) = delete;
  ~StepQueue();  // waits for the step handed over, then ends the thread

  // Waits until the step handed over before has finished, then hands this one over.
  void post(std::function<void()> step);
  // Returns once the step handed over has finished.
  void wait();

private:
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> step_;  // handed over, not yet finished
  bool ending_ = false;
  std::thread thread_;  // started with the first step
};

}  // namespace kestor
