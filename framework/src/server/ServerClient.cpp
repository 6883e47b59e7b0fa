#include "ServerClient.h"

#include "Log.h"
#include "ServerHub.h"
#include "ServerResources.h"
#include "Socket.h"
#include "Text.h"

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kestor {

namespace {
constexpr timeval SEND_TIMEOUT{5, 0};  // a client that stops reading is dropped
constexpr std::string_view HTTP_GET = "GET ";
}  // namespace

ServerClient::ServerClient(int socket, std::string peer)
    : socket_(socket),
      peer_(std::move(peer)),
      parser_([this](const Element &element) { ServerHub::shared().fromClient(*this, element); }) {}

ServerClient::~ServerClient() { ::close(socket_); }

bool ServerClient::start(int socket, std::string peer, void (*ended)()) {
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &SEND_TIMEOUT, sizeof SEND_TIMEOUT);
  try {
    std::shared_ptr<ServerClient> client(new ServerClient(socket, std::move(peer)));
    ServerHub::shared().addClient(client);
    try {
      std::thread([client, ended] { client->run(ended); }).detach();
    } catch (const std::exception &) {
      ServerHub::shared().removeClient(client.get());
      throw;
    }
    logLine(LOG_NOTICE, "Client " + client->peer_ + " connected");
    return true;
  } catch (const std::exception &e) {
    logLine(LOG_ERROR, std::string("Failed to serve a client: ") + e.what());
    return false;
  }
}

bool ServerClient::send(const std::string &xml) {
  if (closing_) return false;
  std::lock_guard lock(sendMutex_);
  if (sendAll(socket_, xml)) return true;
  // Nothing more goes out; what the client sent before it went is still read and acted on.
  closing_ = true;
  shutdown(socket_, SHUT_WR);
  return false;
}

void ServerClient::close() {
  closing_ = true;
  shutdown(socket_, SHUT_RDWR);
}

void ServerClient::want(const std::string &device) {
  std::lock_guard lock(stateMutex_);
  if (device.empty())
    wantsAll_ = true;
  else
    devices_.insert(device);
}

void ServerClient::setBlobMode(const std::string &device, const std::string &property, const std::string &mode) {
  std::lock_guard lock(stateMutex_);
  blobModes_[property.empty() ? device : device + '\0' + property] = mode;
}

std::string ServerClient::mode(const std::string &device, const std::string &property) const {
  if (const auto found = blobModes_.find(device + '\0' + property); !property.empty() && found != blobModes_.end())
    return found->second;
  const auto found = blobModes_.find(device);
  return found == blobModes_.end() ? "Never" : found->second;
}

bool ServerClient::wants(const std::string &device, const std::string &property, bool blob) const {
  std::lock_guard lock(stateMutex_);
  if (device.empty()) return wantsAll_ || !devices_.empty();
  if (!wantsAll_ && !devices_.count(device)) return false;
  if (blob) return mode(device, property) != "Never";
  return mode(device, "") != "Only";
}

void ServerClient::run(void (*ended)()) {
  bool first = true;
  const std::string why = readStream(
      socket_,
      [&](std::string_view data, std::string &error) {
        if (first && data.starts_with(HTTP_GET)) {
          error = serveResource(socket_, data) ? "resource served" : "bad resource request";
          return false;
        }
        first = false;
        if (parser_.feed(data.data(), data.size())) return true;
        error = parser_.error();
        return false;
      },
      "disconnected");
  closing_ = true;
  shutdown(socket_, SHUT_RDWR);
  ServerHub::shared().removeClient(this);
  logLine(LOG_NOTICE, "Client " + peer_ + " left: " + why);
  if (ended) ended();
}

}  // namespace kestor
