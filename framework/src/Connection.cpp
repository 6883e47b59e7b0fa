#include "Connection.h"

#include "Lifecycle.h"
#include "Log.h"
#include "Outgoing.h"
#include "Socket.h"
#include "Text.h"

#include <cstdlib>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

void (*kestor_server_ended_handler)(kestor_server_entry *entry) = nullptr;

namespace kestor {

namespace {
constexpr std::chrono::milliseconds CONNECT_TIMEOUT{5000};

// A new server entry. Entries are the application's handles and are never freed; the list keeps
// every one reachable for the life of the process.
kestor_server_entry *newEntry() {
  static auto *issued = new std::vector<kestor_server_entry *>();
  static std::mutex mutex;
  auto *entry = static_cast<kestor_server_entry *>(std::calloc(1, sizeof(kestor_server_entry)));
  std::lock_guard lock(mutex);
  if (entry) issued->push_back(entry);
  return entry;
}
}  // namespace

Connection::Connection(int socket, std::string peer, kestor_server_entry *entry)
    : socket_(socket),
      peer_(std::move(peer)),
      entry_(entry),
      session_(
          libraryRegistry(), this, peer_, [this](const std::string &xml) { send(xml); }, Session::Steps::Pipelined) {}

Connection::~Connection() { ::close(socket_); }

kestor_result Connection::open(const char *name, const char *host, int32_t port, kestor_server_entry **out) {
  if (!host || !*host || !out) return KESTOR_INVALID;
  const std::string peer = std::string(host) + ":" + std::to_string(port);
  std::string error;
  const int socket = connectTcp(host, port, CONNECT_TIMEOUT, error);
  if (socket < 0) {
    logLine(LOG_ERROR, "Failed to connect to " + peer + ": " + error);
    return KESTOR_FAILED;
  }
  kestor_server_entry *entry = nullptr;
  try {
    entry = newEntry();
    if (!entry) {
      ::close(socket);
      return KESTOR_NO_MEMORY;
    }
    std::shared_ptr<Connection> connection(new Connection(socket, peer, entry));
    copyField(entry->name, name && *name ? std::string_view(name) : std::string_view(peer));
    copyField(entry->host, host);
    entry->port = port;
    entry->thread = connection.get();
    entry->thread_started = true;
    entry->socket = socket;
    entry->protocol_adapter = connection.get();
    if (!connection->send(getPropertiesXml("", ""))) {
      logLine(LOG_ERROR, "Failed to send to " + peer);
      return KESTOR_FAILED;
    }
    connections::add(connection);
    std::thread([connection] { connection->run(); }).detach();
  } catch (const std::exception &e) {
    logLine(LOG_ERROR, "Failed to start reading from " + peer + ": " + e.what());
    return KESTOR_FAILED;
  }
  logLine(LOG_NOTICE, "Connected to " + peer);
  *out = entry;
  return KESTOR_OK;
}

bool Connection::send(const std::string &xml) {
  if (closing_) return false;
  if (logs(LOG_TRAFFIC)) logLine(LOG_TRAFFIC, "Sending to " + peer_ + ": " + std::string(trim(xml)));
  std::lock_guard lock(sendMutex_);
  return sendAll(socket_, xml);
}

void Connection::close() {
  closing_ = true;
  shutdown(socket_, SHUT_RDWR);
}

void Connection::run() {
  std::string why = readStream(
      socket_,
      [this](std::string_view data, std::string &error) {
        if (closing_) return false;
        if (session_.feed(data.data(), data.size())) return true;
        error = session_.error();
        return false;
      },
      "closed by the server");
  uint32_t level = LOG_ERROR;
  if (closing_) {  // close() ends the read, whatever the read then says
    why = "disconnected";
    level = LOG_NOTICE;
  }
  closing_ = true;
  shutdown(socket_, SHUT_RDWR);
  connections::remove(this);
  const auto devices = session_.end();
  logLine(level, "Connection to " + peer_ + " ended: " + why);
  if (auto *ended = kestor_server_ended_handler; ended && !session_.stopped()) ended(entry_);
  // Another connection may serve the same devices (one server found twice): it may define them now.
  if (!session_.stopped())
    for (const auto &other : connections::all())
      for (const auto &device : devices) other->send(getPropertiesXml(device, ""));
}

}  // namespace kestor
