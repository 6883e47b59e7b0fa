// The in-process server's switchboard: which driver owns which device, the definitions to replay,
// and the connected clients. Driver elements go to every client that wants them, and to drivers
// that asked to snoop on the device (getProperties with a device); client requests go to the
// driver that owns the device. Thread-safe; never destroyed.
#pragma once

#include "Element.h"
#include "ServerCache.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kestor {

class DriverLink;
class ServerClient;

class ServerHub {
public:
  static ServerHub &shared();

  void addClient(const std::shared_ptr<ServerClient> &client);
  void removeClient(const ServerClient *client);
  int32_t clientCount();
  // Ends every client connection (the clients then leave on their own threads).
  void closeClients();

  // An element from a driver, on its reader thread.
  void fromDriver(DriverLink &driver, const Element &element);
  // The driver's stream has ended: its devices are deleted for every client.
  void driverEnded(DriverLink &driver);
  // An element from a client, on its reader thread.
  void fromClient(ServerClient &client, const Element &element);

private:
  ServerHub() = default;
  struct Snoop {
    const DriverLink *driver;
    std::string device, property;  // property "" = every property of the device
  };
  void broadcast(const std::string &device, const std::string &property, bool blob, const std::string &xml);
  void snoop(DriverLink &driver, const std::string &device, const std::string &property);
  void forwardToSnoopers(const DriverLink &from, const std::string &device, const std::string &property,
                         const std::string &xml);
  std::shared_ptr<DriverLink> ownerOf(const std::string &device);

  std::mutex mutex_;
  ServerCache cache_;
  std::map<std::string, DriverLink *> owners_;  // device → the driver that defined it
  std::vector<std::shared_ptr<ServerClient>> clients_;
  std::vector<Snoop> snoops_;
};

}  // namespace kestor
