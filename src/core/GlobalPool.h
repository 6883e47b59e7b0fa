// The global pool behind asyncGlobal: a set of worker threads that grows whenever a block finds
// no idle thread (up to a high cap), so blocks that wait on other blocks never starve them.
// Idle threads leave after a while; the pool itself is never destroyed and never waited on at exit.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class GlobalPool {
public:
  static GlobalPool &shared();

  // Queues the block; starts a thread when none is idle.
  void start(std::function<void()> block);
  // Queues the block to start at the given time.
  void startAt(std::chrono::steady_clock::time_point when, std::function<void()> block);

  static constexpr int MAX_THREADS = 512;
  static constexpr std::chrono::seconds IDLE_EXPIRY{30};

private:
  GlobalPool() = default;
  void work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue;
  int threads_ = 0;
  int idle_ = 0;
};
