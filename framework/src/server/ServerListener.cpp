#include "ServerListener.h"

#include "Log.h"
#include "ServerClient.h"
#include "ServerHub.h"

#include <kestor.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

int32_t kestor_server_tcp_port = 0;

namespace kestor {

namespace {

constexpr int BACKLOG = 16;

// What the running server shares with its client threads and with kestor_stop.
std::mutex stateMutex;
int wakeFd = -1;                            // set while a server runs
kestor_server_callback reportTo = nullptr;  // null once the server has stopped
std::mutex reportMutex;                     // one report at a time, in order

void reportClients() {
  std::lock_guard report(reportMutex);
  kestor_server_callback callback;
  {
    std::lock_guard lock(stateMutex);
    callback = reportTo;
  }
  if (callback) callback(ServerHub::shared().clientCount());
}

int listenOn(int32_t port, std::string &error) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) < 0 || listen(fd, BACKLOG) < 0) {
    error = std::strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

int32_t boundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) < 0) return 0;
  return ntohs(address.sin_port);
}

std::string peerOf(const sockaddr_in &address) {
  char host[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
  return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}

void acceptClient(int listener) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  const int fd = accept4(listener, reinterpret_cast<sockaddr *>(&address), &length, SOCK_CLOEXEC);
  if (fd < 0) return;
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (ServerClient::start(fd, peerOf(address), &reportClients)) reportClients();
}

// Accepts clients until stopServer wakes the loop.
void serve(int listener, int wake) {
  pollfd fds[2] = {{listener, POLLIN, 0}, {wake, POLLIN, 0}};
  for (;;) {
    const int ready = poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || fds[1].revents) return;
    if (fds[0].revents) acceptClient(listener);
  }
}

}  // namespace

void stopServer() {
  std::lock_guard lock(stateMutex);
  if (wakeFd < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeFd, &one, sizeof one);
}

}  // namespace kestor

kestor_result kestor_server_start(kestor_server_callback callback) {
  using namespace kestor;
  const int32_t port = kestor_server_tcp_port;
  if (port < 0 || port > 65535) {
    logLine(LOG_ERROR, "Cannot run the server on port " + std::to_string(port));
    return KESTOR_INVALID;
  }
  const int wake = eventfd(0, EFD_CLOEXEC);
  if (wake < 0) return KESTOR_FAILED;
  {
    std::lock_guard lock(stateMutex);
    if (wakeFd >= 0) {
      close(wake);
      return KESTOR_ALREADY;
    }
    wakeFd = wake;
  }
  std::string error;
  const int listener = listenOn(port, error);
  if (listener < 0) {
    logLine(LOG_ERROR, "Cannot listen on port " + std::to_string(port) + ": " + error);
    std::lock_guard lock(stateMutex);
    wakeFd = -1;
    close(wake);
    return KESTOR_FAILED;
  }
  kestor_server_tcp_port = boundPort(listener);
  logLine(LOG_NOTICE, "Server listening on port " + std::to_string(kestor_server_tcp_port));
  {
    std::lock_guard lock(stateMutex);
    reportTo = callback;
  }
  reportClients();
  serve(listener, wake);
  close(listener);
  {
    std::lock_guard report(reportMutex);
    std::lock_guard lock(stateMutex);
    reportTo = nullptr;
    wakeFd = -1;
    close(wake);
  }
  ServerHub::shared().closeClients();
  logLine(LOG_NOTICE, "Server stopped");
  return KESTOR_OK;
}

kestor_result kestor_start_usb_event_handler(void) { return KESTOR_OK; }
