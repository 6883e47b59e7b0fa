// Typed-in servers: claimed on the main thread, connected on the calling thread or the global pool,
// and each attempt reported once on the main thread.
#include <QByteArray>
#include <QPointer>

#include <algorithm>
#include <limits>

#include "core/Dispatch.h"
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/RecordText.h"

namespace {

// The library's connection to the server, made on the calling thread; null when it failed.
kestor_server_entry *attempt(decltype(&kestor_connect_server) connectServer, const TypedServer &server) {
  kestor_server_entry *entry = nullptr;
  const QByteArray host = server.host.toUtf8();
  return connectServer(nullptr, host.constData(), static_cast<int32_t>(server.port), &entry) == KESTOR_OK ? entry
                                                                                                          : nullptr;
}

}  // namespace

void KESTOR::connect(const QString &host, qint64 port) {
  const TypedServer server{host, port};
  bool claimed = false;
  syncMain([&] { claimed = claimServer(server); });
  if (!claimed) return;
  kestor_server_entry *entry = attempt(framework.connectServer, server);
  syncMain([&] { serverAttempted(server, entry); });
}

void KESTOR::connectServers(const std::vector<TypedServer> &wanted) {
  std::vector<TypedServer> claimed;
  for (const TypedServer &server : wanted)
    if (claimServer(server)) claimed.push_back(server);
  if (claimed.empty()) return;
  // Connecting waits for the server's answer, up to the library's time-out: off the main thread,
  // one server after the other.
  const QPointer<KESTOR> self(this);
  asyncGlobal([self, claimed, connectServer = framework.connectServer] {
    for (const TypedServer &server : claimed) {
      kestor_server_entry *entry = attempt(connectServer, server);
      asyncMain([self, server, entry] {
        if (self) self->serverAttempted(server, entry);
      });
    }
  });
}

bool KESTOR::claimServer(const TypedServer &server) {
  if (server.port < std::numeric_limits<int32_t>::min() || server.port > std::numeric_limits<int32_t>::max())
    return false;
  if (std::any_of(configuredServers.begin(), configuredServers.end(),
                  [&](const TypedServer &listed) { return listed.sameAddress(server); }))
    return false;
  configuredServers.push_back({server.host, server.port, TypedServer::State::Connecting, nullptr});
  return true;
}

void KESTOR::serverAttempted(const TypedServer &server, kestor_server_entry *entry) {
  if (entry != nullptr && endedBeforeReport_.erase(entry) != 0) entry = nullptr;
  const auto claimant =
      std::find_if(configuredServers.begin(), configuredServers.end(), [&](const TypedServer &listed) {
        return listed.state == TypedServer::State::Connecting && listed.sameAddress(server);
      });
  if (claimant == configuredServers.end()) {  // dropped from the list while connecting
    if (entry != nullptr) framework.disconnectServer(entry);
    return;
  }
  if (entry == nullptr) {
    configuredServers.erase(claimant);
    return;
  }
  claimant->state = TypedServer::State::Connected;
  claimant->entry = entry;
  notify([](KESTORDelegate &receiver) { receiver.servicesChanged(); });
}

void KESTOR::removeServer(kestor_server_entry *entry) {
  const auto found = std::find_if(configuredServers.begin(), configuredServers.end(),
                                  [&](const TypedServer &listed) { return entry != nullptr && listed.entry == entry; });
  if (found == configuredServers.end()) return;
  configuredServers.erase(found);
  notify([](KESTORDelegate &receiver) { receiver.servicesChanged(); });
}

void KESTOR::serverEnded(kestor_server_entry *entry) {
  const size_t listed = configuredServers.size();
  removeServer(entry);
  if (configuredServers.size() < listed) return;
  // The end of a connection whose attempt has not reported yet: the report counts as a failure.
  const TypedServer ended{textFromField(entry->host), entry->port, TypedServer::State::Unconnected, nullptr};
  if (std::any_of(configuredServers.begin(), configuredServers.end(), [&](const TypedServer &listed) {
        return listed.state == TypedServer::State::Connecting && listed.sameAddress(ended);
      }))
    endedBeforeReport_.insert(entry);
}

void KESTOR::disconnectServersExcept(const std::function<bool(const TypedServer &)> &keep) {
  const auto dropped =
      std::remove_if(configuredServers.begin(), configuredServers.end(), [&](const TypedServer &listed) {
        if (keep(listed)) return false;
        if (listed.entry != nullptr) framework.disconnectServer(listed.entry);
        return true;
      });
  if (dropped == configuredServers.end()) return;
  configuredServers.erase(dropped, configuredServers.end());
  notify([](KESTORDelegate &receiver) { receiver.servicesChanged(); });
}
