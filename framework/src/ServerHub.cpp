#include "ServerHub.h"

#include "DriverLink.h"
#include "Log.h"
#include "Outgoing.h"
#include "ServerClient.h"
#include "ServerXml.h"
#include "Text.h"

#include <algorithm>

namespace kestor {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool isVector(std::string_view name, std::string_view verb) {
  return startsWith(name, verb) && name.size() > 6 && name.substr(name.size() - 6) == "Vector";
}

}  // namespace

ServerHub &ServerHub::shared() {
  static auto *hub = new ServerHub();  // never destroyed: reader threads may outlive exit
  return *hub;
}

void ServerHub::addClient(const std::shared_ptr<ServerClient> &client) {
  std::lock_guard lock(mutex_);
  clients_.push_back(client);
}

void ServerHub::removeClient(const ServerClient *client) {
  std::lock_guard lock(mutex_);
  std::erase_if(clients_, [&](const auto &c) { return c.get() == client; });
}

int32_t ServerHub::clientCount() {
  std::lock_guard lock(mutex_);
  return static_cast<int32_t>(clients_.size());
}

void ServerHub::closeClients() {
  std::lock_guard lock(mutex_);
  for (const auto &client : clients_) client->close();
}

void ServerHub::broadcast(const std::string &device, const std::string &property, bool blob, const std::string &xml) {
  std::vector<std::shared_ptr<ServerClient>> receivers;
  {
    std::lock_guard lock(mutex_);
    receivers = clients_;
  }
  for (const auto &client : receivers)
    if (client->wants(device, property, blob)) client->send(xml);
}

void ServerHub::fromDriver(DriverLink &driver, const Element &element) {
  const std::string device(deviceOf(element));
  const std::string name(nameOf(element));
  {
    std::lock_guard lock(mutex_);
    if (!device.empty() && element.name != "message" && element.name != "getProperties") {
      const auto owner = owners_.find(device);
      if (owner != owners_.end() && owner->second != &driver) {
        logLine(LOG_ERROR, "Driver " + driver.name() + " sent device \"" + device + "\" that another driver owns");
        return;
      }
    }
    if (isVector(element.name, "def")) {
      if (device.empty() || name.empty()) return;
      owners_[device] = &driver;
      cache_.define(element);
    } else if (isVector(element.name, "set")) {
      if (!cache_.update(element)) return;
    } else if (element.name == "delProperty") {
      cache_.remove(device, name);
    } else if (element.name != "message") {
      return;  // snooping requests and anything else stay with the server
    }
  }
  broadcast(device, name, element.name == "setBLOBVector", elementXml(element));
}

void ServerHub::driverEnded(DriverLink &driver) {
  std::vector<std::string> devices;
  {
    std::lock_guard lock(mutex_);
    for (auto owner = owners_.begin(); owner != owners_.end();) {
      if (owner->second != &driver) {
        ++owner;
        continue;
      }
      devices.push_back(owner->first);
      cache_.remove(owner->first, "");
      owner = owners_.erase(owner);
    }
  }
  for (const auto &device : devices) broadcast(device, "", false, deletePropertyXml(device, ""));
}

std::shared_ptr<DriverLink> ServerHub::ownerOf(const std::string &device) {
  DriverLink *owner = nullptr;
  {
    std::lock_guard lock(mutex_);
    const auto found = owners_.find(device);
    if (found != owners_.end()) owner = found->second;
  }
  return owner ? drivers::byEndpoint(owner) : nullptr;
}

void ServerHub::fromClient(ServerClient &client, const Element &element) {
  const std::string device(deviceOf(element));
  const std::string name(nameOf(element));
  if (element.name == "getProperties") {
    client.want(device);
    std::vector<std::string> definitions;
    {
      std::lock_guard lock(mutex_);
      definitions = cache_.replay(device, name);
    }
    for (const auto &xml : definitions) client.send(xml);
  } else if (element.name == "enableBLOB") {
    const std::string mode(trim(element.text));
    if (!device.empty() && (mode == "Never" || mode == "Also" || mode == "Only")) client.setBlobMode(device, name, mode);
  } else if (element.name == "pingRequest") {
    const std::string *uid = element.attribute("uid");
    client.send(pingReplyXml(uid ? *uid : ""));
  } else if (isVector(element.name, "new")) {
    const auto driver = ownerOf(device);
    if (!driver) logLine(LOG_ERROR, "No driver serves device \"" + device + "\" asked by " + client.peer());
    else driver->send(elementXml(element));
  }
}

}  // namespace kestor
