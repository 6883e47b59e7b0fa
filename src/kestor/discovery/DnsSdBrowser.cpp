#include "kestor/discovery/DnsSdBrowser.h"

#include <avahi-common/error.h>

#include "core/Console.h"
#include "kestor/discovery/DnsSdService.h"
#include "kestor/discovery/DnsSdSession.h"

namespace {

QString stripDot(const QString &domain) { return domain.endsWith(u'.') ? domain.chopped(1) : domain; }

}  // namespace

DnsSdBrowser::~DnsSdBrowser() {
  if (joined) DnsSdSession::shared().remove(this);
  for (auto &[key, entry] : known) entry.service->cancel();
  if (browser != nullptr) avahi_service_browser_free(browser);
}

void DnsSdBrowser::searchForServices(const QString &serviceType, const QString &serviceDomain) {
  type = serviceType.toUtf8();
  domain = stripDot(serviceDomain).toUtf8();
  joined = true;
  DnsSdSession::shared().add(this);
}

void DnsSdBrowser::begin(AvahiClient *session) {
  client = session;
  browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, type.constData(), domain.constData(),
                                      static_cast<AvahiLookupFlags>(0), &DnsSdBrowser::browseCallback, this);
  if (browser == nullptr) unavailable(QString::fromUtf8(avahi_strerror(avahi_client_errno(client))));
}

void DnsSdBrowser::end() {
  if (browser != nullptr) avahi_service_browser_free(browser);
  browser = nullptr;
  client = nullptr;
  auto gone = std::move(known);
  known.clear();
  for (auto &[key, entry] : gone) {
    entry.service->cancel();
    if (delegate != nullptr) delegate->serviceRemoved(entry.service);
  }
}

void DnsSdBrowser::unavailable(const QString &reason) {
  if (delegate != nullptr) delegate->browserDidNotSearch(reason);
}

void DnsSdBrowser::browseCallback(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol protocol,
                                  AvahiBrowserEvent event, const char *name, const char *type, const char *domain,
                                  AvahiLookupResultFlags, void *userdata) {
  static_cast<DnsSdBrowser *>(userdata)->report(interface, protocol, event, name, type, domain);
}

void DnsSdBrowser::report(AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event, const char *name,
                          const char *serviceType, const char *serviceDomain) {
  if (event == AVAHI_BROWSER_FAILURE) {
    consoleLine("DNS-SD browsing for " + type + " failed: " + avahi_strerror(avahi_client_errno(client)));
    return;
  }
  if (event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE) return;
  const QString serviceName = QString::fromUtf8(name);
  const QString typeText = QString::fromUtf8(serviceType);
  const QString domainText = stripDot(QString::fromUtf8(serviceDomain));
  const QString key = serviceName + u'\n' + typeText + u'\n' + domainText;
  if (event == AVAHI_BROWSER_NEW) {
    Known &entry = known[key];
    const bool first = entry.instances.empty();
    entry.instances.insert({interface, protocol});
    if (!first) return;
    entry.service = std::make_shared<DnsSdService>(serviceName, typeText, domainText, client, interface, protocol);
    if (delegate != nullptr) delegate->serviceFound(entry.service);
    return;
  }
  auto found = known.find(key);
  if (found == known.end()) return;
  found->second.instances.erase({interface, protocol});
  if (!found->second.instances.empty()) return;
  const auto service = found->second.service;
  known.erase(found);
  service->cancel();
  if (delegate != nullptr) delegate->serviceRemoved(service);
}
