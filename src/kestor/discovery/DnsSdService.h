// A service found by DNS-SD, resolved once through Avahi with a time-out.
#pragma once

#include <QTimer>

#include <avahi-client/lookup.h>

#include "kestor/discovery/NetService.h"

class DnsSdService : public NetService, public std::enable_shared_from_this<DnsSdService> {
public:
  DnsSdService(const QString &name, const QString &type, const QString &domain, AvahiClient *client,
               AvahiIfIndex interface, AvahiProtocol protocol);
  ~DnsSdService() override;

  void resolve(double timeout) override;
  // Stops a running resolution without reporting.
  void cancel();

private:
  void finish();
  void failed(int error);
  static void resolveCallback(AvahiServiceResolver *resolver, AvahiIfIndex interface, AvahiProtocol protocol,
                              AvahiResolverEvent event, const char *name, const char *type, const char *domain,
                              const char *hostName, const AvahiAddress *address, uint16_t port, AvahiStringList *txt,
                              AvahiLookupResultFlags flags, void *userdata);

  AvahiClient *client_;
  AvahiIfIndex interface_;
  AvahiProtocol protocol_;
  AvahiServiceResolver *resolver_ = nullptr;
  QTimer guard_;
};
