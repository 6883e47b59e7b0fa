// The table of driver subprocesses and kestor_kill_subprocess: SIGTERM, then SIGKILL after a short
// grace, and the process reaped either way.
#include "Log.h"
#include "Text.h"
#include "server/DriverProcess.h"

#include <kestor.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>

kestor_subprocess_entry kestor_available_subprocesses[KESTOR_MAX_SUBPROCESSES] = {};

namespace {

constexpr auto GRACE = std::chrono::milliseconds(1000);
constexpr auto POLL = std::chrono::milliseconds(10);

// True once the child has been reaped (or is not ours to reap).
bool reaped(pid_t pid) {
  int status = 0;
  const pid_t result = waitpid(pid, &status, WNOHANG);
  return result == pid || (result < 0 && errno == ECHILD);
}

}  // namespace

kestor_result kestor_kill_subprocess(kestor_subprocess_entry *entry) {
  if (!entry) return KESTOR_INVALID;
  if (const auto stopped = kestor::stopDriverProcess(entry)) return *stopped;
  if (!entry->thread_started || entry->pid <= 0) return KESTOR_NOT_FOUND;
  const pid_t pid = entry->pid;
  const std::string name(kestor::fieldText(entry->executable));
  kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + GRACE;
  bool ended = reaped(pid);
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(POLL);
    ended = reaped(pid);
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  entry->thread_started = false;
  entry->pid = 0;
  kestor::logLine(kestor::LOG_NOTICE, "Subprocess " + name + " (" + std::to_string(pid) + ") ended");
  return KESTOR_OK;
}
