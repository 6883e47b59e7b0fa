// Discovered servers: DNS-SD reports arrive on the main thread, connection attempts run on the
// global pool and record their result on the main thread.
#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/Dispatch.h"
#include "core/Globals.h"
#include <QSettings>
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/discovery/ServiceNames.h"

namespace {

constexpr int CONNECT_ATTEMPTS = 10;
constexpr double RESOLVE_TIMEOUT = 5.0;

QString serviceText(const NetService &service, const QString &what) { return ::serviceText(service.name, what); }

}  // namespace

void KESTOR::serviceFound(const std::shared_ptr<NetService> &service) {
  if (service->name == ownServiceName()) return;
  log(serviceText(*service, QStringLiteral("was discovered")));
  services.push_back(service);
  service->delegate = this;
  notify([](KESTORDelegate &receiver) { receiver.servicesChanged(); });
  service->resolve(RESOLVE_TIMEOUT);
}

void KESTOR::serviceResolved(const std::shared_ptr<NetService> &service) {
  const QString host = !service->hostName.isEmpty()  ? service->hostName
                       : !service->address.isEmpty() ? service->address
                                                     : QStringLiteral("(no host name)");
  log(serviceText(*service, QStringLiteral("was successfully resolved to ")) + host + u':' +
      QString::number(service->port));
  // One connection loop per service: a repeated report while connecting or connected starts none.
  if (service->connecting || servers.count(service) != 0 || service->removed) return;
  service->connecting = true;
  const QByteArray name = service->name.toUtf8();
  const QByteArray address = service->address.isEmpty() ? QByteArray() : service->address.toUtf8();
  const int32_t port = service->port;
  asyncGlobal([this, service, name, address, port] { connectResolvedService(service, name, address, port); });
}

void KESTOR::connectResolvedService(const std::shared_ptr<NetService> &service, const QByteArray &name,
                                    const QByteArray &host, int32_t port) {
  const auto pause = std::chrono::duration<double>(connectRetryDelay);
  for (int attempt = 1; attempt <= CONNECT_ATTEMPTS && !service->removed; ++attempt) {
    kestor_server_entry *entry = nullptr;
    if (framework.connectServer(name.constData(), host.isNull() ? nullptr : host.constData(), port, &entry) ==
        KESTOR_OK) {
      syncMain([&] { storeServer(service, entry); });
      return;
    }
    log(QStringLiteral("Failed to add service"));
    std::this_thread::sleep_for(pause);
    if (attempt == CONNECT_ATTEMPTS) log(QStringLiteral("Failed to add service"));
  }
  syncMain([&] { service->connecting = false; });
}

void KESTOR::storeServer(const std::shared_ptr<NetService> &service, kestor_server_entry *entry) {
  service->connecting = false;
  const bool listed = !service->removed && std::find(services.begin(), services.end(), service) != services.end();
  if (entry == nullptr) {
    servers.erase(service);
  } else if (!listed) {
    framework.disconnectServer(entry);  // the service went away while connecting
  } else {
    kestor_server_entry *&slot = servers[service];
    if (slot != nullptr && slot != entry) framework.disconnectServer(slot);
    slot = entry;
  }
  notify([](KESTORDelegate &receiver) { receiver.servicesChanged(); });
}

void KESTOR::netServiceDidNotResolve(const std::shared_ptr<NetService> &service, const QMap<QString, qint64> &errors) {
  log(serviceText(*service, QStringLiteral("could not be resolved")));
  log(errorText(errors));
  notify([](KESTORDelegate &receiver) { receiver.servicesChanged(); });
}

void KESTOR::serviceRemoved(const std::shared_ptr<NetService> &service) {
  log(serviceText(*service, QStringLiteral("was removed")));
  service->removed = true;
  if (auto found = servers.find(service); found != servers.end()) {
    kestor_server_entry *entry = found->second;
    servers.erase(found);
    if (entry != nullptr) framework.disconnectServer(entry);
  }
  if (auto listed = std::find(services.begin(), services.end(), service); listed != services.end())
    services.erase(listed);
  notify([](KESTORDelegate &receiver) { receiver.servicesChanged(); });
}

void KESTOR::browserDidNotSearch(const QString &reason) {
  if (reportedDiscoveryUnavailable_) return;
  reportedDiscoveryUnavailable_ = true;
  log(QStringLiteral("KESTOR Service discovery is unavailable (") + reason +
      QStringLiteral("); servers can still be added by host and port"));
}
