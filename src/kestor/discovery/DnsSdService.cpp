#include "kestor/discovery/DnsSdService.h"

#include <avahi-common/error.h>

#include <cmath>

DnsSdService::DnsSdService(const QString &name, const QString &type, const QString &domain, AvahiClient *client,
                           AvahiIfIndex interface, AvahiProtocol protocol)
    : NetService(name, type, domain), client(client), interface(interface), protocol(protocol) {
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &guard, [this] {
    finish();
    failed(AVAHI_ERR_TIMEOUT);
  });
}

DnsSdService::~DnsSdService() { cancel(); }

void DnsSdService::resolve(double timeout) {
  if (resolver != nullptr) return;
  // IPv4 addresses: the bus servers listen on IPv4, and a link-local IPv6 address would need its interface.
  resolver = avahi_service_resolver_new(client, interface, protocol, name.toUtf8().constData(),
                                        type.toUtf8().constData(), domain.toUtf8().constData(), AVAHI_PROTO_INET,
                                        static_cast<AvahiLookupFlags>(0), &DnsSdService::resolveCallback, this);
  if (resolver == nullptr) {
    failed(avahi_client_errno(client));
    return;
  }
  guard.start(static_cast<int>(std::lround(std::clamp(timeout, 0.0, 86400.0) * 1000)));
}

void DnsSdService::cancel() { finish(); }

void DnsSdService::finish() {
  guard.stop();
  if (resolver != nullptr) avahi_service_resolver_free(resolver);
  resolver = nullptr;
}

void DnsSdService::failed(int error) {
  if (delegate != nullptr) delegate->netServiceDidNotResolve(shared_from_this(), {{QStringLiteral("errorCode"), error}});
}

void DnsSdService::resolveCallback(AvahiServiceResolver *, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                                   const char *, const char *, const char *, const char *hostName,
                                   const AvahiAddress *address, uint16_t port, AvahiStringList *,
                                   AvahiLookupResultFlags, void *userdata) {
  auto *service = static_cast<DnsSdService *>(userdata);
  const int error = avahi_client_errno(service->client);
  service->finish();
  if (event != AVAHI_RESOLVER_FOUND) {
    service->failed(error);
    return;
  }
  char text[AVAHI_ADDRESS_STR_MAX] = {};
  if (address != nullptr) avahi_address_snprint(text, sizeof text, address);
  service->hostName = hostName != nullptr ? QString::fromUtf8(hostName) : QString();
  service->address = QString::fromUtf8(text);
  service->port = port;
  if (service->delegate != nullptr) service->delegate->serviceResolved(service->shared_from_this());
}
