#include "IndiServer.h"

#include "FreePort.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace test_support {

namespace {

constexpr char INDISERVER[] = "/usr/bin/indiserver";
constexpr auto POLL = std::chrono::milliseconds(20);

bool accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// Waits up to `grace` for the child to end; true once it is reaped.
bool reap(pid_t pid, std::chrono::milliseconds grace) {
  const auto deadline = std::chrono::steady_clock::now() + grace;
  for (;;) {
    const pid_t result = waitpid(pid, nullptr, WNOHANG);
    if (result == pid || result < 0) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(POLL);
  }
}

}  // namespace

IndiServer::IndiServer(std::vector<std::string> drivers) : drivers_(std::move(drivers)) {
  char folder[] = "/tmp/kestor-indiserver.XXXXXX";
  if (mkdtemp(folder)) scratch_ = folder;
}

IndiServer::~IndiServer() {
  stop();
  if (group_ > 0) ::kill(-group_, SIGKILL);  // drivers left behind by kill()
  if (!scratch_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }
}

bool IndiServer::start(std::chrono::milliseconds timeout) {
  if (!scratch_.empty() && serve(timeout, false)) return true;
  stop();
  return false;
}

bool IndiServer::restart(std::chrono::milliseconds timeout) {
  kill();
  if (group_ > 0) ::kill(-group_, SIGKILL);  // its drivers too
  return serve(timeout, true);
}

bool IndiServer::serve(std::chrono::milliseconds timeout, bool samePort) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!launch(samePort ? port_ : freeLoopbackPort())) return false;
    while (std::chrono::steady_clock::now() < deadline) {
      if (accepts(port_)) return true;
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {  // the port was taken meanwhile: try again
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(POLL);
    }
    std::this_thread::sleep_for(POLL);
  }
  return false;
}

bool IndiServer::launch(int port) {
  port_ = port;
  if (port_ <= 0) return false;
  const std::string portText = std::to_string(port_);
  const std::string socketPath = scratch_ + "/indiserver.sock";
  const std::string logPath = scratch_ + "/indiserver.log";
  std::vector<std::string> arguments{"indiserver", "-v", "-p", portText, "-u", socketPath};
  arguments.insert(arguments.end(), drivers_.begin(), drivers_.end());
  std::vector<char *> argv;
  for (auto &argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    setpgid(0, 0);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const int null = open("/dev/null", O_RDONLY);
    if (log >= 0) {
      dup2(log, STDOUT_FILENO);
      dup2(log, STDERR_FILENO);
    }
    if (null >= 0) dup2(null, STDIN_FILENO);
    setenv("HOME", scratch_.c_str(), 1);
    execv(INDISERVER, argv.data());
    _exit(127);
  }
  setpgid(pid, pid);
  pid_ = pid;
  group_ = pid;
  return true;
}

std::string IndiServer::log() const {
  std::ifstream file(scratch_ + "/indiserver.log");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void IndiServer::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void IndiServer::stop() {
  if (pid_ <= 0) return;
  ::kill(-group_, SIGTERM);
  if (!reap(pid_, std::chrono::seconds(2))) {
    ::kill(-group_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

}  // namespace test_support
