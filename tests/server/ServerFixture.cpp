#include "ServerFixture.h"

#include <kestor.h>

#include <array>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <sys/wait.h>

namespace {

std::mutex countMutex;
std::condition_variable countChanged;
std::vector<int32_t> reported;

void onCount(int32_t clients) {
  std::lock_guard lock(countMutex);
  reported.push_back(clients);
  countChanged.notify_all();
}

}  // namespace

bool eventually(const std::function<bool()> &condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void ServerFixture::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestor-server-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  scratch = pattern;
  setenv("HOME", scratch.c_str(), 1);  // the simulators keep their configuration there
  setenv("KESTOR_DRIVER_DIR", DRIVER_DIR, 1);
  {
    std::lock_guard lock(countMutex);
    reported.clear();
  }
  client = std::make_unique<RecordingClient>();
  kestor_set_log_level(1);
  kestor_server_tcp_port = 0;
  server_ = std::thread([this] { serverResult_ = kestor_server_start(&onCount); });
  std::unique_lock lock(countMutex);
  ASSERT_TRUE(countChanged.wait_for(lock, std::chrono::seconds(10), [] { return !reported.empty(); }));
  port = kestor_server_tcp_port;  // written before the first report
}

void ServerFixture::TearDown() {
  client.reset();  // kestor_stop: the server returns
  if (server_.joinable()) server_.join();
  EXPECT_EQ(serverResult_, KESTOR_OK);
  for (auto &entry : kestor_available_subprocesses)
    if (started(entry)) kestor_kill_subprocess(&entry);
  std::filesystem::remove_all(scratch);
}

std::vector<int32_t> ServerFixture::counts() {
  std::lock_guard lock(countMutex);
  return reported;
}

bool ServerFixture::waitForCount(int32_t clients) {
  std::unique_lock lock(countMutex);
  return countChanged.wait_for(lock, std::chrono::seconds(10), [&] { return !reported.empty() && reported.back() == clients; });
}

std::string ServerFixture::run(const std::string &command) {
  std::string output;
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  std::array<char, 4096> buffer;
  for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) output.append(buffer.data(), n);
  pclose(pipe);
  return output;
}

std::string ServerFixture::getprop(const std::string &pattern) const {
  return run("indi_getprop -h 127.0.0.1 -p " + std::to_string(port) + " -t 2 '" + pattern + "' 2>/dev/null");
}

int ServerFixture::setprop(const std::string &assignment) const {
  const std::string command = "indi_setprop -h 127.0.0.1 -p " + std::to_string(port) + " '" + assignment + "' 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerFixture::logText() const {
  std::string text;
  for (const auto &line : client->logLines()) text += line + "\n";
  return text;
}

kestor_subprocess_entry *ServerFixture::startTelescope() {
  kestor_subprocess_entry *entry = nullptr;
  const kestor_result result = kestor_start_subprocess("/usr/bin/indi_simulator_telescope", &entry);
  EXPECT_EQ(result, KESTOR_OK);
  return result == KESTOR_OK ? entry : nullptr;
}

RawClient::RawClient(int port) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) < 0) {
    close(fd_);
    fd_ = -1;
  }
}

RawClient::~RawClient() {
  if (fd_ >= 0) close(fd_);
}

void RawClient::send(const std::string &text) {
  if (fd_ >= 0) ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
}

std::string RawClient::readUntil(const std::string &fragment, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char buffer[4096];
  while (fd_ >= 0 && received_.find(fragment) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received_.append(buffer, static_cast<size_t>(n));
  }
  return received_;
}

std::string RawClient::readAll() { return readUntil(std::string(1, '\0')); }
