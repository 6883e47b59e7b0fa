#include "kestor/discovery/DnsSdBrowser.h"

#include <avahi-common/error.h>

#include "core/Console.h"
#include "kestor/discovery/DnsSdService.h"
#include "kestor/discovery/DnsSdSession.h"

namespace {

QString stripDot(const QString &domain) { return domain.endsWith(u'.') ? domain.chopped(1) : domain; }

}  // namespace

DnsSdBrowser::~DnsSdBrowser() {
  if (joined_) DnsSdSession::shared().remove(this);
  for (auto &[key, entry] : known_) entry.service->cancel();
  if (browser_ != nullptr) avahi_service_browser_free(browser_);
}

void DnsSdBrowser::searchForServices(const QString &serviceType, const QString &serviceDomain) {
  type_ = serviceType.toUtf8();
  domain_ = stripDot(serviceDomain).toUtf8();
  joined_ = true;
  DnsSdSession::shared().add(this);
}

void DnsSdBrowser::begin(AvahiClient *session) {
  client_ = session;
  browser_ =
      avahi_service_browser_new(client_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, type_.constData(), domain_.constData(),
                                static_cast<AvahiLookupFlags>(0), &DnsSdBrowser::browseCallback, this);
  if (browser_ == nullptr) unavailable(QString::fromUtf8(avahi_strerror(avahi_client_errno(client_))));
}

void DnsSdBrowser::end() {
  if (browser_ != nullptr) avahi_service_browser_free(browser_);
  browser_ = nullptr;
  client_ = nullptr;
  auto gone = std::move(known_);
  known_.clear();
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
    consoleLine("DNS-SD browsing for " + type_ + " failed: " + avahi_strerror(avahi_client_errno(client_)));
    return;
  }
  if (event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE) return;
  const QString serviceName = QString::fromUtf8(name);
  const QString typeText = QString::fromUtf8(serviceType);
  const QString domainText = stripDot(QString::fromUtf8(serviceDomain));
  const QString key = serviceName + u'\n' + typeText + u'\n' + domainText;
  if (event == AVAHI_BROWSER_NEW) {
    Known &entry = known_[key];
    const bool first = entry.instances.empty();
    entry.instances.insert({interface, protocol});
    if (!first) return;
    entry.service = std::make_shared<DnsSdService>(serviceName, typeText, domainText, client_, interface, protocol);
    if (delegate != nullptr) delegate->serviceFound(entry.service);
    return;
  }
  auto found = known_.find(key);
  if (found == known_.end()) return;
  found->second.instances.erase({interface, protocol});
  if (!found->second.instances.empty()) return;
  const auto service = found->second.service;
  known_.erase(found);
  service->cancel();
  if (delegate != nullptr) delegate->serviceRemoved(service);
}
