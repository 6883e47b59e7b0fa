#include "kestor/discovery/DnsSdService.h"

#include <avahi-common/error.h>

#include <cmath>

DnsSdService::DnsSdService(const QString &name, const QString &type, const QString &domain, AvahiClient *client,
                           AvahiIfIndex interface, AvahiProtocol protocol)
    : NetService(name, type, domain), client_(client), interface_(interface), protocol_(protocol) {
  guard_.setSingleShot(true);
  QObject::connect(&guard_, &QTimer::timeout, &guard_, [this] {
    finish();
    failed(AVAHI_ERR_TIMEOUT);
  });
}

DnsSdService::~DnsSdService() { cancel(); }

void DnsSdService::resolve(double timeout) {
  if (resolver_ != nullptr) return;
  // IPv4 addresses: the bus servers listen on IPv4, and a link-local IPv6 address would need its interface.
  resolver_ = avahi_service_resolver_new(client_, interface_, protocol_, name.toUtf8().constData(),
                                         type.toUtf8().constData(), domain.toUtf8().constData(), AVAHI_PROTO_INET,
                                         static_cast<AvahiLookupFlags>(0), &DnsSdService::resolveCallback, this);
  if (resolver_ == nullptr) {
    failed(avahi_client_errno(client_));
    return;
  }
  guard_.start(static_cast<int>(std::lround(std::clamp(timeout, 0.0, 86400.0) * 1000)));
}

void DnsSdService::cancel() { finish(); }

void DnsSdService::finish() {
  guard_.stop();
  if (resolver_ != nullptr) avahi_service_resolver_free(resolver_);
  resolver_ = nullptr;
}

void DnsSdService::failed(int error) {
  if (delegate != nullptr)
    delegate->netServiceDidNotResolve(shared_from_this(), {{QStringLiteral("errorCode"), error}});
}

void DnsSdService::resolveCallback(AvahiServiceResolver *, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                                   const char *, const char *, const char *, const char *hostName,
                                   const AvahiAddress *address, uint16_t port, AvahiStringList *,
                                   AvahiLookupResultFlags, void *userdata) {
  auto *service = static_cast<DnsSdService *>(userdata);
  const int error = avahi_client_errno(service->client_);
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
