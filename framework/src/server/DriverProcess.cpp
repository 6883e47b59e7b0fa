#include "DriverProcess.h"

#include "DriverLink.h"
#include "Log.h"
#include "Text.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <memory>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace kestor {

namespace {

using namespace std::chrono_literals;
constexpr auto INPUT_GRACE = 1000ms;  // after the end of its input
constexpr auto TERM_GRACE = 2000ms;   // after SIGTERM
constexpr auto POLL = 10ms;
constexpr auto FINISH_WAIT = 2000ms;  // for the link to delete the driver's devices

// One started executable: its process id until reaped, and its link.
class DriverProcess {
public:
  DriverProcess(pid_t pid, std::string name) : pid_(pid), name_(std::move(name)) {}

  // True once the process has been reaped (by whichever thread saw it end first).
  bool reap() {
    std::lock_guard lock(mutex_);
    if (reaped_) return true;
    int status = 0;
    const pid_t result = waitpid(pid_, &status, WNOHANG);
    if (result == pid_ || (result < 0 && errno == ECHILD)) reaped_ = true;
    return reaped_;
  }

  // Sends a signal unless the process is already reaped (so its id cannot have been reused).
  void signal(int number) {
    std::lock_guard lock(mutex_);
    if (!reaped_) ::kill(pid_, number);
  }

  bool awaitReaped(std::chrono::milliseconds grace) {
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (!reap()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(POLL);
    }
    return true;
  }

  pid_t pid() const { return pid_; }
  const std::string &name() const { return name_; }
  std::shared_ptr<DriverLink> link;

private:
  const pid_t pid_;
  const std::string name_;
  std::mutex mutex_;
  bool reaped_ = false;
};

// The processes behind the entries of kestor_available_subprocesses; guarded by tableMutex, as
// are the entries' fields (thread_started is also written atomically, as the application reads it).
std::mutex tableMutex;
using Processes = std::array<std::shared_ptr<DriverProcess>, KESTOR_MAX_SUBPROCESSES>;
Processes &processTable() {
  static auto *table = new Processes();  // never destroyed: reader threads may outlive exit
  return *table;
}

size_t indexOf(const kestor_subprocess_entry *entry) {
  return static_cast<size_t>(entry - kestor_available_subprocesses);
}

bool inTable(const kestor_subprocess_entry *entry) {
  return entry >= kestor_available_subprocesses && entry < kestor_available_subprocesses + KESTOR_MAX_SUBPROCESSES;
}

void setStarted(kestor_subprocess_entry &entry, bool started) {
  __atomic_store_n(&entry.thread_started, started, __ATOMIC_RELEASE);
}

// Frees the entry when it still belongs to the process; call with tableMutex held.
void release(const std::shared_ptr<DriverProcess> &process, const std::string &why) {
  for (size_t i = 0; i < KESTOR_MAX_SUBPROCESSES; ++i) {
    if (processTable()[i] != process) continue;
    kestor_subprocess_entry &entry = kestor_available_subprocesses[i];
    entry.pid = 0;
    entry.thread = nullptr;
    entry.protocol_adapter = nullptr;
    copyField(entry.last_error, why);
    setStarted(entry, false);  // last: a reader that sees false sees the fields above
    processTable()[i] = nullptr;
  }
}

// The driver's output has ended: once the process is gone too, its entry is freed. A process
// that closed its output but runs on stays in the table for kestor_kill_subprocess.
void outputEnded(const std::weak_ptr<DriverProcess> &weak) {
  const auto process = weak.lock();
  if (!process || !process->awaitReaped(INPUT_GRACE + TERM_GRACE)) return;
  std::lock_guard lock(tableMutex);
  release(process, "ended");
}

// Each line of the driver's standard error goes to the log; ends at end of file.
void readErrors(int fd, const std::string &name) {
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t received = read(fd, buffer, sizeof buffer);
    if (received < 0 && errno == EINTR) continue;
    if (received <= 0) break;
    pending.append(buffer, static_cast<size_t>(received));
    for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
      logLine(LOG_NOTICE, name + ": " + pending.substr(0, end));
  }
  if (!pending.empty()) logLine(LOG_NOTICE, name + ": " + pending);
  close(fd);
}

std::string baseName(const std::string &path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Starts the executable with `protocol` as its standard input and output and `errors` as its
// standard error; the child's ends are closed here. Returns the process id or -1 (errno set).
pid_t spawn(const std::string &path, int protocol, int errors) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, protocol, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, protocol, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
  std::string argv0 = baseName(path);
  char *argv[] = {argv0.data(), nullptr};
  pid_t pid = -1;
  const int status = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (status != 0) {
    errno = status;
    return -1;
  }
  return pid;
}

kestor_result start(const std::string &path, kestor_subprocess_entry **out) {
  std::lock_guard lock(tableMutex);
  kestor_subprocess_entry *free = nullptr;
  for (auto &entry : kestor_available_subprocesses) {
    if (entry.thread_started &&
        fieldText(entry.executable) == std::string_view(path).substr(0, sizeof entry.executable - 1)) {
      *out = &entry;
      return KESTOR_ALREADY;
    }
    if (!free && !entry.thread_started && !processTable()[indexOf(&entry)]) free = &entry;
  }
  if (!free) {
    logLine(LOG_ERROR, "Cannot start " + path + ": every subprocess entry is in use");
    return KESTOR_FAILED;
  }
  int protocol[2];
  int errors[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, protocol) < 0) return KESTOR_FAILED;
  if (pipe2(errors, O_CLOEXEC) < 0) {
    close(protocol[0]);
    close(protocol[1]);
    return KESTOR_FAILED;
  }
  const pid_t pid = spawn(path, protocol[1], errors[1]);
  const int spawnError = errno;
  close(protocol[1]);
  close(errors[1]);
  if (pid < 0) {
    close(protocol[0]);
    close(errors[0]);
    copyField(free->last_error, std::strerror(spawnError));
    logLine(LOG_ERROR, "Cannot start " + path + ": " + std::strerror(spawnError));
    return KESTOR_FAILED;
  }
  const std::string name = baseName(path);
  auto process = std::make_shared<DriverProcess>(pid, name);
  try {
    std::thread([fd = errors[0], name] { readErrors(fd, name); }).detach();
  } catch (const std::exception &) {
    close(errors[0]);
  }
  processTable()[indexOf(free)] = process;
  process->link = DriverLink::open(protocol[0], name, [weak = std::weak_ptr(process)] { outputEnded(weak); });
  if (!process->link) {
    process->signal(SIGKILL);
    while (!process->awaitReaped(TERM_GRACE)) {
    }
    processTable()[indexOf(free)] = nullptr;
    return KESTOR_FAILED;
  }
  copyField(free->executable, path);
  free->pid = pid;
  free->thread = process.get();
  free->protocol_adapter = process->link.get();
  copyField(free->last_error, "");
  setStarted(*free, true);
  logLine(LOG_NOTICE, "Started driver " + path + " (" + std::to_string(pid) + ")");
  *out = free;
  return KESTOR_OK;
}

}  // namespace

std::optional<kestor_result> stopDriverProcess(kestor_subprocess_entry *entry) {
  std::shared_ptr<DriverProcess> process;
  {
    std::lock_guard lock(tableMutex);
    if (inTable(entry)) process = processTable()[indexOf(entry)];
  }
  if (!process) return std::nullopt;
  if (process->link) process->link->closeInput();
  if (!process->awaitReaped(INPUT_GRACE)) {
    process->signal(SIGTERM);
    if (!process->awaitReaped(TERM_GRACE)) {
      process->signal(SIGKILL);
      while (!process->awaitReaped(TERM_GRACE)) {
      }
    }
  }
  // Its devices are gone before it returns, so the same driver can start again at once. Bounded:
  // the attached client's deletions may wait for the application's thread.
  if (process->link) {
    process->link->close();
    process->link->waitFinished(FINISH_WAIT);
  }
  {
    std::lock_guard lock(tableMutex);
    release(process, "killed");
  }
  logLine(LOG_NOTICE, "Subprocess " + process->name() + " (" + std::to_string(process->pid()) + ") ended");
  return KESTOR_OK;
}

}  // namespace kestor

kestor_result kestor_start_subprocess(const char *executable, kestor_subprocess_entry **entry) {
  if (!executable || !*executable || !entry) return KESTOR_INVALID;
  try {
    return kestor::start(executable, entry);
  } catch (const std::exception &) {
    return KESTOR_NO_MEMORY;
  }
}
