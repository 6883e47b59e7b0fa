#include "ServerResources.h"

#include "Log.h"
#include "Socket.h"

#include <kestor.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <sys/socket.h>

namespace kestor {

namespace {

constexpr size_t REQUEST_LIMIT = 8192;

struct Resource {
  std::string data;
  std::string contentType;
};

std::mutex mutex;
std::map<std::string, Resource, std::less<>> &resources() {
  static auto *table = new std::map<std::string, Resource, std::less<>>();  // lives as long as the process
  return *table;
}

bool isGzip(std::string_view data) { return data.size() >= 2 && data[0] == '\x1f' && data[1] == '\x8b'; }

std::string response(std::string_view path) {
  std::lock_guard lock(mutex);
  const auto found = resources().find(path);
  if (found == resources().end()) return "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  const Resource &resource = found->second;
  std::string head = "HTTP/1.0 200 OK\r\nContent-Type: " + resource.contentType +
                     "\r\nContent-Length: " + std::to_string(resource.data.size()) + "\r\n";
  if (isGzip(resource.data)) head += "Content-Encoding: gzip\r\n";
  return head + "Connection: close\r\n\r\n" + resource.data;
}

}  // namespace

bool serveResource(int socket, std::string_view received) {
  std::string request(received);
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos && request.find("\n\n") == std::string::npos) {
    if (request.size() > REQUEST_LIMIT) return false;
    const ssize_t more = recv(socket, buffer, sizeof buffer, 0);
    if (more < 0 && errno == EINTR) continue;
    if (more <= 0) return false;
    request.append(buffer, static_cast<size_t>(more));
  }
  // "GET <path> HTTP/1.x"; a query string is not part of the path.
  const size_t start = request.find(' ') + 1;
  const size_t end = request.find_first_of(" ?\r\n", start);
  const std::string path = request.substr(start, end - start);
  logLine(LOG_NOTICE, "Resource " + path.substr(0, 256) + " requested");
  return sendAll(socket, response(path));
}

}  // namespace kestor

kestor_result kestor_server_add_resource(const char *path, const void *data, size_t length, const char *content_type) {
  if (!path || path[0] != '/' || !data) return KESTOR_INVALID;
  if (content_type && std::string_view(content_type).find_first_of("\r\n") != std::string_view::npos)
    return KESTOR_INVALID;
  try {
    kestor::Resource resource{std::string(static_cast<const char *>(data), length),
                              content_type ? content_type : "application/octet-stream"};
    std::lock_guard lock(kestor::mutex);
    kestor::resources()[path] = std::move(resource);
    return KESTOR_OK;
  } catch (const std::exception &) {
    return KESTOR_NO_MEMORY;
  }
}
