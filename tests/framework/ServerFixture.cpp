#include "ServerFixture.h"

#include "support/Command.h"

#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::mutex countMutex;
std::condition_variable countChanged;
int32_t lastCount = -1;

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
    lastCount = -1;
  }
  client = std::make_unique<RecordingClient>();
  kestor_set_log_level(1);
  kestor_server_tcp_port = 0;
  server_ = std::thread([this] {
    serverResult_ = kestor_server_start([](int32_t clients) {
      std::lock_guard lock(countMutex);
      lastCount = clients;
      countChanged.notify_all();
    });
  });
  ASSERT_TRUE(waitForCount(0));
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

bool ServerFixture::waitForCount(int32_t clients) {
  std::unique_lock lock(countMutex);
  return countChanged.wait_for(lock, std::chrono::seconds(10), [&] { return lastCount == clients; });
}

std::string ServerFixture::getprop(const std::string &pattern) const {
  return test_support::runCommand("indi_getprop -h 127.0.0.1 -p " + std::to_string(port) + " -t 2 '" + pattern +
                                  "' 2>/dev/null");
}

int ServerFixture::setprop(const std::string &assignment) const {
  const int status = std::system(
      ("indi_setprop -h 127.0.0.1 -p " + std::to_string(port) + " '" + assignment + "' 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

kestor_subprocess_entry *ServerFixture::startTelescope() {
  kestor_subprocess_entry *entry = nullptr;
  EXPECT_EQ(kestor_start_subprocess("/usr/bin/indi_simulator_telescope", &entry), KESTOR_OK);
  return entry;
}

void ServerFixture::loadTestDriver() {
  kestor_driver_entry *entry = nullptr, *again = nullptr;
  const kestor_result result = kestor_load_driver("test_simulator", true, &entry);
  ASSERT_TRUE(result == KESTOR_OK || result == KESTOR_ALREADY) << result;  // loaded by an earlier test
  EXPECT_STREQ(entry->name, "test_simulator");
  EXPECT_TRUE(entry->driver && entry->dl_handle && entry->initialized);
  EXPECT_EQ(kestor_load_driver("test_simulator", true, &again), KESTOR_ALREADY);
  EXPECT_EQ(again, entry);
}

RawClient::RawClient(int port) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
}

RawClient::~RawClient() { close(fd_); }

void RawClient::send(const std::string &text) { ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL); }

std::string RawClient::readUntil(const std::string &fragment, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char buffer[4096];
  while (received_.find(fragment) == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received_.append(buffer, static_cast<size_t>(n));
  }
  return received_;
}
