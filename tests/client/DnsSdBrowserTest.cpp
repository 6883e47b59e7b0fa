// The DNS-SD browser turns Avahi's per-interface reports into one found and one removed per service.
#include <gtest/gtest.h>

#include "kestor/discovery/DnsSdBrowser.h"

namespace {

class Reports : public NetServiceBrowserDelegate {
public:
  void serviceFound(const std::shared_ptr<NetService> &service) override { events.push_back("found " + name(service)); }
  void serviceRemoved(const std::shared_ptr<NetService> &service) override { events.push_back("removed " + name(service)); }
  void serviceResolved(const std::shared_ptr<NetService> &) override {}
  void netServiceDidNotResolve(const std::shared_ptr<NetService> &, const QMap<QString, qint64> &) override {}
  void browserDidNotSearch(const QString &) override {}
  static std::string name(const std::shared_ptr<NetService> &service) {
    return (service->name + u'|' + service->type + u'|' + service->domain).toStdString();
  }
  std::vector<std::string> events;
};

TEST(DnsSdBrowser, OneFoundAndOneRemovedPerServiceWhateverTheInterfaces) {
  DnsSdBrowser browser;
  Reports reports;
  browser.delegate = &reports;
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_NEW, "Test INDI", "_indi._tcp", "local");
  browser.report(2, AVAHI_PROTO_INET6, AVAHI_BROWSER_NEW, "Test INDI", "_indi._tcp", "local.");
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_NEW, "Other", "_indi._tcp", "local");
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_ALL_FOR_NOW, nullptr, nullptr, nullptr);
  EXPECT_EQ(reports.events, (std::vector<std::string>{"found Test INDI|_indi._tcp|local", "found Other|_indi._tcp|local"}));
  browser.report(2, AVAHI_PROTO_INET6, AVAHI_BROWSER_REMOVE, "Test INDI", "_indi._tcp", "local");
  EXPECT_EQ(reports.events.size(), 2u);  // still announced on the other interface
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_REMOVE, "Test INDI", "_indi._tcp", "local");
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_REMOVE, "Never seen", "_indi._tcp", "local");
  ASSERT_EQ(reports.events.size(), 3u);
  EXPECT_EQ(reports.events[2], "removed Test INDI|_indi._tcp|local");
  // Announced again after its removal: found again.
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_NEW, "Test INDI", "_indi._tcp", "local");
  EXPECT_EQ(reports.events.back(), "found Test INDI|_indi._tcp|local");
}

}  // namespace
