#include "BusMemory.h"

#include "ResidentMemory.h"

#include <kestor.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <mutex>
#include <utility>

namespace test_support {

namespace {

constexpr char DEVICE[] = "Memory Simulator";

bool writeAll(int fd, const std::string &bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// The BLOB's contents, base64-encoded a piece at a time so the child never holds them whole.
bool sendBlob(int fd, size_t bytes) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string head = std::string("<setBLOBVector device=\"") + DEVICE +
                     "\" name=\"IMAGE\" state=\"Ok\">\n"
                     "<oneBLOB name=\"IMAGE\" size=\"" +
                     std::to_string(bytes) + "\" format=\".fits\">\n";
  if (!writeAll(fd, head)) return false;
  constexpr size_t PIECE = 3 << 20;
  std::string text;
  for (size_t done = 0; done < bytes; done += PIECE) {
    const size_t n = std::min(PIECE, bytes - done);
    text.clear();
    for (size_t i = 0; i < n; i += 3) {
      const uint32_t v = uint32_t((done + i) * 2654435761u);
      const size_t have = std::min<size_t>(3, n - i);
      text += alphabet[(v >> 18) & 63];
      text += alphabet[(v >> 12) & 63];
      text += have > 1 ? alphabet[(v >> 6) & 63] : '=';
      text += have > 2 ? alphabet[v & 63] : '=';
    }
    if (!writeAll(fd, text)) return false;
  }
  return writeAll(fd, "\n</oneBLOB>\n</setBLOBVector>\n<delProperty device=\"" + std::string(DEVICE) + "\"/>\n");
}

bool sendProperties(int fd, size_t count) {
  std::string batch;
  for (size_t i = 0; i < count; ++i) {
    batch += std::string("<defNumberVector device=\"") + DEVICE + "\" name=\"P" + std::to_string(i) +
             "\" group=\"Main\" state=\"Idle\" perm=\"ro\"><defNumber name=\"V\" format=\"%g\" min=\"0\" max=\"0\" "
             "step=\"0\">" +
             std::to_string(i) + "</defNumber></defNumberVector>\n";
    if (batch.size() > (1 << 20) && !writeAll(fd, std::exchange(batch, {}))) return false;
  }
  return writeAll(fd, batch);
}

// The child: answers the client's getProperties with the script, then ends the connection.
[[noreturn]] void serve(int listener, BusScript script, size_t amount) {
  const int fd = accept(listener, nullptr, nullptr);
  char request[256];
  bool ok = fd >= 0 && recv(fd, request, sizeof request, 0) > 0;
  if (ok) {
    const std::string definition = script == BusScript::LargeBlob
                                       ? std::string("<defBLOBVector device=\"") + DEVICE +
                                             "\" name=\"IMAGE\" group=\"Main\" state=\"Idle\" "
                                             "perm=\"ro\"><defBLOB name=\"IMAGE\"/></defBLOBVector>\n"
                                       : std::string();
    ok = writeAll(fd, definition) &&
         (script == BusScript::LargeBlob ? sendBlob(fd, amount) : sendProperties(fd, amount));
  }
  if (fd >= 0) {
    shutdown(fd, SHUT_WR);
    while (recv(fd, request, sizeof request, 0) > 0) {
    }  // until the client has closed too
  }
  _exit(ok ? 0 : 1);
}

struct Ending {
  std::mutex mutex;
  std::condition_variable changed;
  bool ended = false;
};
Ending *ending = nullptr;

void noteLine(const char *line) {
  if (!ending || !std::strstr(line, "ended:")) return;  // "Connection to HOST:PORT ended: ..."
  std::lock_guard lock(ending->mutex);
  ending->ended = true;
  ending->changed.notify_all();
}

kestor_result nothing(kestor_client *, kestor_device *, kestor_property *, const char *) { return KESTOR_OK; }

int listenOnLoopback(int &port) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      listen(listener, 1) != 0 || getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
    if (listener >= 0) close(listener);
    return -1;
  }
  port = ntohs(address.sin_port);
  return listener;
}

}  // namespace

std::string BusMemoryFigures::summary() const {
  char line[256];
  std::snprintf(line, sizeof line,
                "resident memory %.1f MiB before, peak %.1f MiB (+%.1f), %.1f MiB after (%+.1f); %.2f s", beforeMB,
                peakMB, peakMB - beforeMB, afterMB, afterMB - beforeMB, seconds);
  return failure.empty() ? line : failure;
}

BusMemoryFigures runBusScript(BusScript script, size_t amount) {
  BusMemoryFigures figures;
  static kestor_client client = [] {
    kestor_client c{};
    c.version = KESTOR_VERSION_2_0;
    c.define_property = c.update_property = c.delete_property = nothing;
    return c;
  }();
  Ending ended;
  ending = &ended;
  kestor_log_message_handler = noteLine;
  kestor_start();
  kestor_attach_client(&client);

  int port = 0;
  const int listener = listenOnLoopback(port);
  if (listener < 0) {
    figures.failure = "cannot listen on loopback";
    return figures;
  }
  const pid_t child = fork();
  if (child == 0) serve(listener, script, amount);
  close(listener);
  if (child < 0) {
    figures.failure = "cannot start the server process";
    return figures;
  }

  malloc_trim(0);
  figures.beforeMB = megabytes(residentBytes());
  resetPeak();
  const auto start = std::chrono::steady_clock::now();
  kestor_server_entry *entry = nullptr;
  if (kestor_connect_server("memory", "127.0.0.1", port, &entry) != KESTOR_OK) {
    figures.failure = "cannot connect";
  } else {
    std::unique_lock lock(ended.mutex);
    if (!ended.changed.wait_for(lock, std::chrono::minutes(3), [&] { return ended.ended; }))
      figures.failure = "the connection did not end";
  }
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.peakMB = megabytes(peakResidentBytes());
  figures.afterMB = megabytes(residentBytes());
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    if (figures.failure.empty()) figures.failure = "the server process failed";
  kestor_stop();
  kestor_log_message_handler = nullptr;
  ending = nullptr;
  return figures;
}

}  // namespace test_support
