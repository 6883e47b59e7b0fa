// Discovered and typed-in servers with fake DNS-SD reports and a fake connect; the DNS-SD browser
// that turns Avahi's per-interface reports into one found and one removed per service.
#include <QSettings>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <thread>

#include "EventLoopWait.h"
#include "Fakes.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "kestor/discovery/DnsSdBrowser.h"
#include "kestor/discovery/DnsSdPublishedService.h"

namespace {

class Discovery : public ::testing::Test {
protected:
  void TearDown() override { defaults().remove(QStringLiteral("kestorServiceName")); }

  std::shared_ptr<FakeService> found(const QString &name, const QString &type = QStringLiteral("_indi._tcp")) {
    auto service = std::make_shared<FakeService>(name, type, QStringLiteral("local"));
    fixture.kestor->serviceFound(service);
    return service;
  }
  // Reports the service resolved, and runs the event loop until its connection loop has ended.
  bool resolveAndSettle(const std::shared_ptr<FakeService> &service) {
    service->hostName = QStringLiteral("host.local");
    service->address = QStringLiteral("127.0.0.1");
    service->port = 7624;
    fixture.kestor->serviceResolved(service);
    return waitUntil([&] { return !service->connecting; });
  }
  // Connect attempts fail `failures` times, then succeed with `entry` once `released` is ready.
  void connectAfter(int failures, kestor_server_entry *entry, std::shared_future<void> released = {}) {
    fixture.framework.connect = [=, attempts = std::make_shared<std::atomic<int>>(0)](
                                    const char *, const char *, int32_t, kestor_server_entry **out) {
      if (++*attempts <= failures) return kestor_result(KESTOR_FAILED);
      if (released.valid()) released.wait();
      *out = entry;
      return kestor_result(KESTOR_OK);
    };
  }
  std::vector<kestor_server_entry *> disconnected() {
    std::vector<kestor_server_entry *> entries;
    for (const auto &call : fixture.framework.calls("disconnect_server")) entries.push_back(call.entry);
    return entries;
  }

  ClientFixture fixture;
  kestor_server_entry first{};
  kestor_server_entry second{};
};

TEST_F(Discovery, OwnServiceIsIgnoredButItsRemovalIsLogged) {
  for (const QString &type : {QStringLiteral("_indi._tcp"), QStringLiteral("_kestor._tcp")}) {
    auto own = found(appName(), type);
    EXPECT_TRUE(own->resolveTimeouts.empty());
    fixture.kestor->serviceRemoved(own);
  }
  defaults().setValue(QStringLiteral("kestorServiceName"), QStringLiteral("Mine"));
  found(QStringLiteral("Mine"));
  EXPECT_TRUE(fixture.kestor->services.empty());
  ASSERT_TRUE(fixture.waitForMessages(2));
  const QString removed = QStringLiteral("KESTOR Service ") + appName() + QStringLiteral(" was removed");
  EXPECT_EQ(fixture.messageTexts(), (QStringList{removed, removed}));
}

TEST_F(Discovery, FoundServiceIsResolvedAndConnectedAtTheThirdAttempt) {
  connectAfter(2, &first);
  auto service = found(QStringLiteral("S"));
  found(QStringLiteral("S"));
  EXPECT_EQ(fixture.kestor->services.size(), 2u);  // found twice: listed twice
  EXPECT_EQ(service->resolveTimeouts, std::vector<double>{5.0});
  fixture.events.clear();
  ASSERT_TRUE(resolveAndSettle(service));
  ASSERT_TRUE(fixture.waitForMessages(5));
  EXPECT_EQ(fixture.messageTexts(), (QStringList{"KESTOR Service S was discovered", "KESTOR Service S was discovered",
                                                 "KESTOR Service S was successfully resolved to host.local:7624",
                                                 "Failed to add service", "Failed to add service"}));
  EXPECT_EQ(fixture.kestor->servers.at(service), &first);
  EXPECT_EQ(fixture.events.count("services"), 1);
  const auto calls = fixture.framework.calls("connect_server");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].device + ' ' + calls[0].property + ' ' + std::to_string(calls[0].value), "S 127.0.0.1 7624");
  fixture.kestor->serviceResolved(service);  // already connected: no new loop
  spinFor(20);
  EXPECT_EQ(fixture.framework.calls("connect_server").size(), 3u);
}

TEST_F(Discovery, TenFailedAttemptsLogElevenLines) {
  auto service = found(QStringLiteral("S"));
  ASSERT_TRUE(resolveAndSettle(service));
  ASSERT_TRUE(fixture.waitForMessages(13));
  EXPECT_EQ(fixture.messageTexts().count("Failed to add service"), 11);
  EXPECT_EQ(fixture.framework.calls("connect_server").size(), 10u);
  EXPECT_TRUE(fixture.kestor->servers.empty());
  EXPECT_EQ(fixture.kestor->services.size(), 1u);
}

TEST_F(Discovery, EntriesReplacedOrArrivingAfterTheRemovalAreDisconnected) {
  std::promise<void> release;
  connectAfter(0, &first, release.get_future().share());
  auto service = found(QStringLiteral("S"));
  auto never = found(QStringLiteral("Never connected"));
  fixture.kestor->serviceResolved(service);
  fixture.kestor->serviceResolved(service);  // while connecting: one loop only
  ASSERT_TRUE(waitUntil([&] { return fixture.framework.calls("connect_server").size() == 1; }));
  fixture.kestor->serviceRemoved(service);  // while the attempt is under way
  fixture.kestor->serviceRemoved(never);
  release.set_value();
  ASSERT_TRUE(waitUntil([&] { return !service->connecting; }));
  EXPECT_EQ(fixture.framework.calls("connect_server").size(), 1u);
  EXPECT_EQ(disconnected(), std::vector<kestor_server_entry *>{&first});
  EXPECT_TRUE(fixture.kestor->servers.empty());
  EXPECT_TRUE(fixture.kestor->services.empty());

  auto again = found(QStringLiteral("S"));
  for (auto *entry : {&first, &first, &second}) fixture.kestor->storeServer(again, entry);
  EXPECT_EQ(disconnected(), (std::vector<kestor_server_entry *>{&first, &first}));
  EXPECT_EQ(fixture.kestor->servers.at(again), &second);
  fixture.kestor->storeServer(again, nullptr);
  EXPECT_TRUE(fixture.kestor->servers.empty());
}

// A daemon that does not answer is said once: in the end-to-end DNS-SD test.
TEST_F(Discovery, AServiceThatCannotBeResolvedIsLoggedAndKept) {
  auto service = found(QStringLiteral("S"));
  fixture.kestor->netServiceDidNotResolve(service, {{QStringLiteral("errorCode"), -15}});
  ASSERT_TRUE(fixture.waitForMessages(3));
  EXPECT_EQ(fixture.messageTexts().mid(1),
            (QStringList{"KESTOR Service S could not be resolved", R"(["errorCode": -15])"}));
  EXPECT_EQ(fixture.kestor->services.size(), 1u);
  EXPECT_EQ(fixture.events.count("services"), 2);
}

TEST_F(Discovery, TypedInServers) {
  fixture.kestor->connect(QStringLiteral("127.0.0.1"), 7624);  // refused by the fake
  fixture.kestor->connect(QStringLiteral("127.0.0.1"), qint64(1) << 31);
  EXPECT_EQ(fixture.framework.calls("connect_server").size(), 1u);
  EXPECT_TRUE(fixture.events.isEmpty());
  connectAfter(0, &first);
  fixture.kestor->connectServers({{QStringLiteral("127.0.0.1"), 7624}, {QStringLiteral("127.0.0.1"), 7624}});
  ASSERT_TRUE(waitUntil([&] {
    const auto &servers = fixture.kestor->configuredServers;
    return servers.size() == 1 && servers.front().state == TypedServer::State::Connected;
  }));
  EXPECT_EQ(fixture.framework.calls("connect_server").back().device, "(null)");  // no service name
  fixture.kestor->removeServer(&second);
  EXPECT_EQ(fixture.events, QStringList{"services"});
  fixture.kestor->removeServer(&first);
  EXPECT_TRUE(fixture.kestor->configuredServers.empty());
  EXPECT_EQ(fixture.events, (QStringList{"services", "services"}));

  // A connection that ends before its attempt reports leaves nothing behind.
  std::strcpy(second.host, "127.0.0.1");
  second.port = 7624;
  fixture.framework.connect = [&](const char *, const char *, int32_t, kestor_server_entry **entry) {
    *entry = &second;
    asyncMain([&] { fixture.kestor->serverEnded(&second); });
    return kestor_result(KESTOR_OK);
  };
  std::atomic<bool> attempted{false};
  std::thread late([&] {
    fixture.kestor->connect(QStringLiteral("127.0.0.1"), 7624);
    attempted = true;
  });
  ASSERT_TRUE(waitUntil([&] { return attempted.load(); }));
  late.join();
  EXPECT_TRUE(fixture.kestor->configuredServers.empty());
  EXPECT_EQ(fixture.events.size(), 2);
  spinFor(20);
  EXPECT_TRUE(fixture.kestor->messages.isEmpty());
}

class Reports : public NetServiceBrowserDelegate {
public:
  void serviceFound(const std::shared_ptr<NetService> &service) override { events.push_back("found " + name(service)); }
  void serviceRemoved(const std::shared_ptr<NetService> &service) override {
    events.push_back("removed " + name(service));
  }
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
  browser.report(2, AVAHI_PROTO_INET6, AVAHI_BROWSER_REMOVE, "Test INDI", "_indi._tcp", "local");  // still on 1
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_REMOVE, "Test INDI", "_indi._tcp", "local");
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_REMOVE, "Never seen", "_indi._tcp", "local");
  browser.report(1, AVAHI_PROTO_INET, AVAHI_BROWSER_NEW, "Test INDI", "_indi._tcp", "local");  // found again
  EXPECT_EQ(reports.events,
            (std::vector<std::string>{"found Test INDI|_indi._tcp|local", "found Other|_indi._tcp|local",
                                      "removed Test INDI|_indi._tcp|local", "found Test INDI|_indi._tcp|local"}));
}

TEST(DnsSdPublishedService, APortThatCannotBePublishedIsReported) {
  DnsSdPublishedService service(QStringLiteral("x"), QStringLiteral("_kestor._tcp"), 0);
  QMap<QString, qint64> reported;
  service.didNotPublish = [&](PublishedService &, const QMap<QString, qint64> &errors) { reported = errors; };
  service.publish();
  EXPECT_EQ(reported.value(QStringLiteral("errorCode")), DnsSdPublishedService::INVALID_PORT);
}

}  // namespace
