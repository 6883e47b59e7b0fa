#include "ScriptedServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test_support {

ScriptedServer::ScriptedServer() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      listen(listener_, 4) != 0 || getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
      pipe2(wake_, O_CLOEXEC) != 0)
    return;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { serve(); });
}

ScriptedServer::~ScriptedServer() {
  if (thread_.joinable()) {
    const char byte = 0;
    (void)!write(wake_[1], &byte, 1);
    thread_.join();
  }
  closeClient();
  for (int fd : {listener_, wake_[0], wake_[1]})
    if (fd >= 0) close(fd);
}

void ScriptedServer::serve() {
  char buffer[65536];
  for (;;) {
    int client;
    {
      std::lock_guard lock(mutex_);
      client = closed_ ? -1 : client_;
    }
    pollfd fds[3] = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}, {client, POLLIN, 0}};
    if (poll(fds, client >= 0 ? 3 : 2, -1) < 0) continue;
    if (fds[0].revents) return;
    if (fds[1].revents & POLLIN) {
      const int accepted = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (accepted >= 0) {
        std::lock_guard lock(mutex_);
        if (client_ >= 0) close(client_);
        client_ = accepted;
        closed_ = false;
        received_.clear();
        changed_.notify_all();
      }
      continue;
    }
    if (client >= 0 && fds[2].revents) {
      const ssize_t n = recv(client, buffer, sizeof buffer, 0);
      std::lock_guard lock(mutex_);
      if (client != client_) continue;
      if (n > 0)
        received_.append(buffer, static_cast<size_t>(n));
      else
        closed_ = true;
      changed_.notify_all();
    }
  }
}

template <typename Predicate>
bool ScriptedServer::waitFor(std::chrono::milliseconds timeout, Predicate predicate) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, predicate);
}

bool ScriptedServer::waitForClient(std::chrono::milliseconds timeout) {
  return waitFor(timeout, [this] { return client_ >= 0; });
}

bool ScriptedServer::send(std::string_view bytes) {
  int client;
  {
    std::lock_guard lock(mutex_);
    client = client_;
  }
  while (client >= 0 && !bytes.empty()) {
    const ssize_t sent = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return client >= 0;
}

std::string ScriptedServer::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

bool ScriptedServer::waitForReceived(std::string_view needle, std::chrono::milliseconds timeout) {
  return waitFor(timeout, [&] { return received_.find(needle) != std::string::npos; });
}

bool ScriptedServer::clientClosed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

bool ScriptedServer::waitForClientClosed(std::chrono::milliseconds timeout) {
  return waitFor(timeout, [this] { return closed_; });
}

void ScriptedServer::closeClient() {
  std::lock_guard lock(mutex_);
  if (client_ < 0) return;
  shutdown(client_, SHUT_RDWR);
  closed_ = true;
  changed_.notify_all();
}

}  // namespace test_support
