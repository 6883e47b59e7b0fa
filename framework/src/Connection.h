// A connection to one server: the socket, its reader thread and the stream's session. The reader
// thread owns the connection while it runs; it is detached, so nothing ever waits for it.
#pragma once

#include "Device.h"
#include "Session.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace kestor {

class Connection final : public kestor_device, public std::enable_shared_from_this<Connection> {
public:
  // Connects (within 5 s), asks for every property and starts reading; fills a new server entry.
  static kestor_result open(const char *name, const char *host, int32_t port, kestor_server_entry **entry);

  ~Connection() override;

  // Sends one element; false when the connection is gone.
  bool send(const std::string &xml) override;

  // Ends the connection from another thread; returns at once.
  void close();

  kestor_server_entry *entry() const { return entry_; }
  const std::string &peer() const { return peer_; }

private:
  Connection(int socket, std::string peer, kestor_server_entry *entry);
  void run();

  const int socket_;
  const std::string peer_;
  kestor_server_entry *const entry_;
  std::mutex sendMutex_;
  std::atomic<bool> closing_{false};
  Session session_;
};

// Every open connection, found by its server entry or by the endpoint that owns a bus device.
namespace connections {
void add(const std::shared_ptr<Connection> &connection);
void remove(const Connection *connection);
std::shared_ptr<Connection> byEntry(const kestor_server_entry *entry);
std::shared_ptr<Connection> byEndpoint(const kestor_device *endpoint);
std::vector<std::shared_ptr<Connection>> all();
}  // namespace connections

}  // namespace kestor
