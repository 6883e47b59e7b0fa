#include "MainQueue.h"

#include <kestor.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace main_queue {

namespace {

struct Step {
  void (*fn)(void *);
  void *arg;
  bool done = false;
};

// Never destroyed: library threads may still wait here while the process exits.
struct Queue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Step *> steps;
};
Queue &queue() {
  static auto *q = new Queue();
  return *q;
}

std::atomic<bool> stopping{false};

void execute(void (*fn)(void *), void *arg) {
  Queue &q = queue();
  Step step{fn, arg};
  std::unique_lock lock(q.mutex);
  q.steps.push_back(&step);
  q.changed.notify_all();
  q.changed.wait(lock, [&] { return step.done; });
}

}  // namespace

void install() { kestor_sync_executor = execute; }

void runUntil(std::chrono::steady_clock::time_point deadline) {
  Queue &q = queue();
  std::unique_lock lock(q.mutex);
  while (!stopping && std::chrono::steady_clock::now() < deadline) {
    if (q.steps.empty()) {
      q.changed.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(100)));
      continue;
    }
    Step *step = q.steps.front();
    q.steps.pop_front();
    lock.unlock();
    step->fn(step->arg);
    lock.lock();
    step->done = true;
    q.changed.notify_all();
  }
}

void stop() { stopping = true; }

}  // namespace main_queue
