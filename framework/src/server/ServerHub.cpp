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

void ServerHub::snoop(DriverLink &driver, const std::string &device, const std::string &property) {
  std::vector<std::string> definitions;
  {
    std::lock_guard lock(mutex_);
    const bool known = std::any_of(snoops_.begin(), snoops_.end(), [&](const Snoop &s) {
      return s.driver == &driver && s.device == device && s.property == property;
    });
    if (!known) snoops_.push_back({&driver, device, property});
    definitions = cache_.replay(device, property);
  }
  for (const auto &xml : definitions) driver.send(xml);
}

void ServerHub::forwardToSnoopers(const DriverLink &from, const std::string &device, const std::string &property,
                                  const std::string &xml) {
  std::vector<const DriverLink *> snoopers;
  {
    std::lock_guard lock(mutex_);
    for (const Snoop &s : snoops_)
      if (s.driver != &from && s.device == device && (s.property.empty() || s.property == property) &&
          std::find(snoopers.begin(), snoopers.end(), s.driver) == snoopers.end())
        snoopers.push_back(s.driver);
  }
  for (const DriverLink *snooper : snoopers)
    if (const auto link = drivers::byEndpoint(snooper)) link->send(xml);
}

void ServerHub::fromDriver(DriverLink &driver, const Element &element) {
  const std::string device(deviceOf(element));
  const std::string name(nameOf(element));
  if (element.name == "getProperties") {
    if (!device.empty()) snoop(driver, device, name);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    if (!device.empty() && element.name != "message") {
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
      return;  // anything else stays with the server
    }
  }
  const std::string xml = elementXml(element);
  const bool blob = element.name == "setBLOBVector";
  broadcast(device, name, blob, xml);
  if (!blob && element.name != "message") forwardToSnoopers(driver, device, name, xml);
}

void ServerHub::driverEnded(DriverLink &driver) {
  std::vector<std::string> devices;
  {
    std::lock_guard lock(mutex_);
    std::erase_if(snoops_, [&](const Snoop &s) { return s.driver == &driver; });
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
  for (const auto &device : devices) {
    const std::string xml = deletePropertyXml(device, "");
    broadcast(device, "", false, xml);
    forwardToSnoopers(driver, device, "", xml);
  }
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
    if (!device.empty() && (mode == "Never" || mode == "Also" || mode == "Only"))
      client.setBlobMode(device, name, mode);
  } else if (element.name == "pingRequest") {
    const std::string *uid = element.attribute("uid");
    client.send(pingReplyXml(uid ? *uid : ""));
  } else if (isVector(element.name, "new")) {
    const auto driver = ownerOf(device);
    if (!driver)
      logLine(LOG_ERROR, "No driver serves device \"" + device + "\" asked by " + client.peer());
    else
      driver->send(elementXml(element));
  }
}

}  // namespace kestor
