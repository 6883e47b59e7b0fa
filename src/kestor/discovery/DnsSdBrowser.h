// Browses one DNS-SD service type through the shared Avahi session. Avahi reports a service once
// per network interface and protocol; the browser reports it found once per (name, type, domain)
// and removed when its last instance goes.
#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <set>
#include <utility>

#include <avahi-client/lookup.h>

#include "kestor/discovery/NetService.h"

class DnsSdService;

class DnsSdBrowser : public NetServiceBrowser {
public:
  DnsSdBrowser() = default;
  ~DnsSdBrowser() override;

  void searchForServices(const QString &type, const QString &domain) override;

  // Called by the session.
  void begin(AvahiClient *client);
  void end();
  void unavailable(const QString &reason);

  // One report of Avahi's browser (public for tests).
  void report(AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event, const char *name,
              const char *type, const char *domain);

private:
  struct Known {
    std::shared_ptr<DnsSdService> service;
    std::set<std::pair<AvahiIfIndex, AvahiProtocol>> instances;
  };

  static void browseCallback(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol protocol,
                             AvahiBrowserEvent event, const char *name, const char *type, const char *domain,
                             AvahiLookupResultFlags flags, void *userdata);

  QByteArray type_;
  QByteArray domain_;
  bool joined_ = false;
  AvahiClient *client_ = nullptr;
  AvahiServiceBrowser *browser_ = nullptr;
  std::map<QString, Known> known_;
};
