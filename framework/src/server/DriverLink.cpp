#include "DriverLink.h"

#include "Log.h"
#include "Outgoing.h"
#include "ServerCache.h"
#include "ServerHub.h"
#include "ServerXml.h"
#include "Socket.h"
#include "Text.h"

#include <algorithm>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kestor {

namespace {

constexpr timeval SEND_TIMEOUT{5, 0};  // a driver that stops reading fails the send

std::mutex listMutex;
std::vector<std::shared_ptr<DriverLink>> &list() {
  static auto *links = new std::vector<std::shared_ptr<DriverLink>>();  // never destroyed: threads may outlive exit
  return *links;
}

}  // namespace

DriverLink::DriverLink(int socket, std::string name, std::function<void()> ended)
    : socket_(socket),
      name_(std::move(name)),
      ended_(std::move(ended)),
      session_(
          libraryRegistry(), this, name_, [this](const std::string &xml) { send(xml); }, Session::Steps::InPlace,
          Session::Runs::Every),
      parser_([this](const Element &element) { handle(element); }) {}

DriverLink::~DriverLink() { ::close(socket_); }

std::shared_ptr<DriverLink> DriverLink::open(int socket, std::string name, std::function<void()> ended) {
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &SEND_TIMEOUT, sizeof SEND_TIMEOUT);
  std::shared_ptr<DriverLink> link;
  try {
    link.reset(new DriverLink(socket, std::move(name), std::move(ended)));
    {
      std::lock_guard lock(listMutex);
      list().push_back(link);
    }
    std::thread([link] { link->run(); }).detach();
  } catch (const std::exception &e) {
    logLine(LOG_ERROR, "Failed to start reading driver " + (link ? link->name_ : std::string()) + ": " + e.what());
    if (link) {
      std::lock_guard lock(listMutex);
      std::erase(list(), link);
    } else {
      ::close(socket);
    }
    return nullptr;
  }
  link->send(getPropertiesXml("", ""));
  return link;
}

bool DriverLink::send(const std::string &xml) {
  if (closing_) return false;
  if (keepBlobMode(xml)) return true;
  if (logs(LOG_TRAFFIC)) logLine(LOG_TRAFFIC, "Sending to driver " + name_ + ": " + std::string(trim(xml)));
  std::lock_guard lock(sendMutex_);
  return sendAll(socket_, xml);
}

void DriverLink::closeInput() { shutdown(socket_, SHUT_WR); }

void DriverLink::close() {
  closing_ = true;
  shutdown(socket_, SHUT_RDWR);
}

bool DriverLink::keepBlobMode(const std::string &xml) {
  if (!xml.starts_with("<enableBLOB")) return false;
  StreamParser reader([this](const Element &element) {
    const std::string device(deviceOf(element)), property(nameOf(element));
    std::lock_guard lock(blobMutex_);
    blobModesOfThisRun()[property.empty() ? device : device + '\0' + property] = trim(element.text) != "Never";
  });
  reader.feed(xml.data(), xml.size());
  return true;
}

bool DriverLink::attachedClientWantsBlob(const Element &update) {
  const std::string device(deviceOf(update)), property(nameOf(update));
  std::lock_guard lock(blobMutex_);
  const auto &modes = blobModesOfThisRun();
  auto found = modes.find(device + '\0' + property);
  if (found == modes.end()) found = modes.find(device);
  return found != modes.end() && found->second;  // "Never" until enabled
}

std::map<std::string, bool> &DriverLink::blobModesOfThisRun() {
  // Each run has an attached client of its own, which has enabled nothing yet.
  if (const uint64_t run = currentRun(); run != blobModesRun_) {
    blobModes_.clear();
    blobModesRun_ = run;
  }
  return blobModes_;
}

void DriverLink::handle(const Element &element) {
  // The server's clients first: the attached client's session may wait for the application.
  ServerHub::shared().fromDriver(*this, element);
  if (element.name == "setBLOBVector" && !attachedClientWantsBlob(element)) return;
  forSession_ += elementXml(element);
}

bool DriverLink::feed(const char *data, size_t length) {
  const std::string filtered = filter_.filter(std::string_view(data, length));
  const bool read = parser_.feed(filtered.data(), filtered.size());
  // The session applies every element of this read in one step.
  const bool applied = session_.feed(forSession_.data(), forSession_.size());
  forSession_ = std::string();  // a BLOB's copy is not kept
  return read && applied;
}

void DriverLink::run() {
  const std::string why = readStream(
      socket_,
      [this](std::string_view data, std::string &error) {
        if (feed(data.data(), data.size())) return true;
        error = !session_.error().empty() ? session_.error() : parser_.error();
        return false;
      },
      "end of its output");
  closing_ = true;
  shutdown(socket_, SHUT_RDWR);
  {
    std::lock_guard lock(listMutex);
    std::erase_if(list(), [this](const auto &link) { return link.get() == this; });
  }
  ServerHub::shared().driverEnded(*this);
  session_.end();
  logLine(LOG_NOTICE, "Driver " + name_ + " ended: " + why);
  {
    std::lock_guard lock(finishMutex_);
    finished_ = true;
  }
  finishedChanged_.notify_all();
  if (ended_) ended_();
}

bool DriverLink::waitFinished(std::chrono::milliseconds timeout) {
  std::unique_lock lock(finishMutex_);
  return finishedChanged_.wait_for(lock, timeout, [this] { return finished_; });
}

namespace drivers {

std::shared_ptr<DriverLink> byEndpoint(const kestor_device *endpoint) {
  std::lock_guard lock(listMutex);
  const auto found = std::find_if(list().begin(), list().end(), [&](const auto &link) {
    return static_cast<const kestor_device *>(link.get()) == endpoint;
  });
  return found == list().end() ? nullptr : *found;
}

std::vector<std::shared_ptr<DriverLink>> all() {
  std::lock_guard lock(listMutex);
  return list();
}

}  // namespace drivers

}  // namespace kestor
