// One client of the in-process server: its socket, its reader thread, what it has asked to see
// and its BLOB modes. The reader thread owns the client while it runs.
#pragma once

#include "StreamParser.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace kestor {

class ServerClient : public std::enable_shared_from_this<ServerClient> {
public:
  // Registers the client with the hub and starts reading; `ended` runs on its thread at the end,
  // after the hub has dropped it. False (socket closed) when no thread can be started.
  static bool start(int socket, std::string peer, void (*ended)());

  ~ServerClient();
  ServerClient(const ServerClient &) = delete;
  ServerClient &operator=(const ServerClient &) = delete;

  // Sends one element; false when the client is gone.
  bool send(const std::string &xml);
  // Ends the client from another thread; returns at once.
  void close();

  // getProperties: the client wants the device's traffic (every device's when empty).
  void want(const std::string &device);
  // enableBLOB: "Never", "Also" or "Only" for a device, or one of its properties.
  void setBlobMode(const std::string &device, const std::string &property, const std::string &mode);
  // Whether an element of the device (one of its BLOB updates when `blob`) goes to this client;
  // an element of no device goes to every client that has asked for anything.
  bool wants(const std::string &device, const std::string &property, bool blob) const;

  const std::string &peer() const { return peer_; }

private:
  ServerClient(int socket, std::string peer);
  void run(void (*ended)());
  std::string mode(const std::string &device, const std::string &property) const;

  const int socket_;
  const std::string peer_;
  std::mutex sendMutex_;
  std::atomic<bool> closing_{false};
  StreamParser parser_;
  mutable std::mutex stateMutex_;
  bool wantsAll_ = false;
  std::set<std::string> devices_;
  std::map<std::string, std::string> blobModes_;  // key: device, or device + '\0' + property
};

}  // namespace kestor
