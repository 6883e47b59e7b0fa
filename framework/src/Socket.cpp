#include "Socket.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestor {

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t READ_CHUNK = 64 * 1024;

// Completes a non-blocking connect by the deadline; 0 or an errno value.
int finishConnect(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return ETIMEDOUT;
    pollfd p{fd, POLLOUT, 0};
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return errno;
    if (ready == 0) return ETIMEDOUT;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) return errno;
    return error;
  }
}

int open(const addrinfo &address, Clock::time_point deadline, std::chrono::milliseconds timeout, int &error) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  error = connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
  if (error == EINPROGRESS) error = finishConnect(fd, deadline);
  if (error != 0) {
    ::close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  timeval sendTimeout{static_cast<time_t>(timeout.count() / 1000),
                      static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
  return fd;
}

// getaddrinfo has no time-out of its own (a name server may take long to answer), so it runs on a
// detached thread that the caller stops waiting for at the deadline.
struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  int status = EAI_AGAIN;
  addrinfo *addresses = nullptr;
  ~Lookup() {
    if (addresses) freeaddrinfo(addresses);
  }
};

std::shared_ptr<Lookup> resolve(const std::string &host, int port, Clock::time_point deadline) {
  auto lookup = std::make_shared<Lookup>();
  try {
    std::thread([lookup, host, port] {
      addrinfo hints{};
      hints.ai_family = AF_UNSPEC;
      hints.ai_socktype = SOCK_STREAM;
      addrinfo *addresses = nullptr;
      const int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
      std::lock_guard lock(lookup->mutex);
      lookup->status = status;
      lookup->addresses = addresses;
      lookup->finished = true;
      lookup->done.notify_all();
    }).detach();
  } catch (const std::system_error &) {
    return lookup;  // no thread: reported as a failed lookup
  }
  std::unique_lock lock(lookup->mutex);
  lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; });
  return lookup;
}

}  // namespace

int connectTcp(const std::string &host, int port, std::chrono::milliseconds timeout, std::string &error) {
  if (port <= 0 || port > 65535) {
    error = "invalid port " + std::to_string(port);
    return -1;
  }
  const auto deadline = Clock::now() + timeout;
  const auto lookup = resolve(host, port, deadline);
  std::lock_guard lock(lookup->mutex);
  if (!lookup->finished) {
    error = "no address for " + host + " in time";
    return -1;
  }
  if (lookup->status != 0) {
    error = gai_strerror(lookup->status);
    return -1;
  }
  int fd = -1;
  int last = ETIMEDOUT;
  for (addrinfo *a = lookup->addresses; a && fd < 0 && Clock::now() < deadline; a = a->ai_next)
    fd = open(*a, deadline, timeout, last);
  if (fd < 0) error = std::strerror(last);
  return fd;
}

bool sendAll(int socket, std::string_view data) {
  while (!data.empty()) {
    const ssize_t sent = send(socket, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

std::string readStream(int socket, const Consumer &consume, std::string endOfStream) {
  std::string why;
  try {
    std::vector<char> buffer(READ_CHUNK);
    for (;;) {
      const ssize_t received = recv(socket, buffer.data(), buffer.size(), 0);
      if (received < 0 && errno == EINTR) continue;
      if (received == 0) return endOfStream;
      if (received < 0) return std::strerror(errno);
      if (!consume(std::string_view(buffer.data(), static_cast<size_t>(received)), why)) return why;
    }
  } catch (const std::exception &e) {
    return e.what();
  }
}

}  // namespace kestor
