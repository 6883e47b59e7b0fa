#include "Lifecycle.h"

#include "Log.h"

#include <exception>
#include <mutex>
#include <string>

void (*kestor_sync_executor)(void (*fn)(void *arg), void *arg) = nullptr;

namespace kestor {

namespace {
std::mutex mutex;
kestor_client *client = nullptr;
bool stopped = false;
uint64_t run = 0;
}  // namespace

uint64_t currentRun() {
  std::lock_guard lock(mutex);
  return run;
}

kestor_client *admittedClient() { return admittedClient(currentRun()); }

kestor_client *admittedClient(uint64_t streamRun) {
  std::lock_guard lock(mutex);
  return stopped || streamRun != run ? nullptr : client;
}

bool isStopped(uint64_t streamRun) {
  std::lock_guard lock(mutex);
  return stopped || streamRun != run;
}

void setClient(kestor_client *value) {
  std::lock_guard lock(mutex);
  client = value;
}

void setStopped(bool value) {
  std::lock_guard lock(mutex);
  if (value && !stopped) ++run;
  stopped = value;
}

void runSynchronised(const std::function<void()> &step) {
  // No exception may leave the step: it runs inside the application's executor.
  static constexpr auto run = [](void *arg) {
    try {
      (*static_cast<const std::function<void()> *>(arg))();
    } catch (const std::exception &e) {
      logLine(LOG_ERROR, std::string("A bus step failed: ") + e.what());
    }
  };
  auto *executor = kestor_sync_executor;
  void *arg = const_cast<std::function<void()> *>(&step);
  if (executor)
    executor(run, arg);
  else
    run(arg);
}

}  // namespace kestor
