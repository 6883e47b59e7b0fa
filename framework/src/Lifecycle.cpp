#include "Lifecycle.h"

#include <mutex>

void (*kestor_sync_executor)(void (*fn)(void *arg), void *arg) = nullptr;

namespace kestor {

namespace {
std::mutex mutex;
kestor_client *client = nullptr;
bool stopped = false;
}  // namespace

kestor_client *admittedClient() {
  std::lock_guard lock(mutex);
  return stopped ? nullptr : client;
}

bool isStopped() {
  std::lock_guard lock(mutex);
  return stopped;
}

void setClient(kestor_client *value) {
  std::lock_guard lock(mutex);
  client = value;
}

void setStopped(bool value) {
  std::lock_guard lock(mutex);
  stopped = value;
}

void runSynchronised(const std::function<void()> &step) {
  auto *executor = kestor_sync_executor;
  if (!executor) return step();
  executor([](void *arg) { (*static_cast<const std::function<void()> *>(arg))(); },
           const_cast<std::function<void()> *>(&step));
}

}  // namespace kestor
