// One worker thread that runs blocks one at a time, in the order they were queued.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class SerialQueue {
public:
  SerialQueue();
  // Runs what is queued, then stops the worker.
  ~SerialQueue();
  SerialQueue(const SerialQueue &) = delete;
  SerialQueue &operator=(const SerialQueue &) = delete;

  void async(std::function<void()> block);
  // Returns once every block queued before the call has run.
  void drain();

private:
  void work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> queue;
  bool running_ = false;
  bool stopping_ = false;
  std::thread worker_;
};
