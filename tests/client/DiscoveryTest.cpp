// Discovered and typed-in servers with fake DNS-SD reports and a fake connect.
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

namespace {

class Discovery : public ::testing::Test {
protected:
  void TearDown() override { defaults().remove(QStringLiteral("kestorServiceName")); }

  std::shared_ptr<FakeService> found(const QString &name, const QString &type = QStringLiteral("_indi._tcp")) {
    auto service = std::make_shared<FakeService>(name, type, QStringLiteral("local"));
    fixture.kestor->serviceFound(service);
    return service;
  }
  void resolved(const std::shared_ptr<FakeService> &service) {
    service->hostName = QStringLiteral("host.local");
    service->address = QStringLiteral("127.0.0.1");
    service->port = 7624;
    fixture.kestor->serviceResolved(service);
  }
  // Runs the event loop until no connection loop is running for the service.
  bool settled(const std::shared_ptr<FakeService> &service) {
    return waitUntil([&] { return !service->connecting; });
  }
  // Connect attempts wait until released, then succeed with the first entry.
  void connectWhenReleased(std::shared_future<void> released) {
    fixture.framework.connect = [this, released](const char *, const char *, int32_t, kestor_server_entry **entry) {
      released.wait();
      *entry = &first;
      return kestor_result(KESTOR_OK);
    };
  }
  int count(const QStringList &list, const QString &text) { return static_cast<int>(list.count(text)); }

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
  auto mine = found(QStringLiteral("Mine"));
  EXPECT_TRUE(fixture.kestor->services.empty());
  ASSERT_TRUE(fixture.waitForMessages(2));
  const QString removed = QStringLiteral("KESTOR Service ") + appName() + QStringLiteral(" was removed");
  EXPECT_EQ(fixture.messageTexts(), (QStringList{removed, removed}));
  EXPECT_EQ(fixture.events.count("services"), 2);
}

TEST_F(Discovery, FoundServiceIsListedAndResolvedWithAFiveSecondLimit) {
  auto service = found(QStringLiteral("Test INDI"));
  auto again = found(QStringLiteral("Test INDI"));
  EXPECT_EQ(service->resolveTimeouts, std::vector<double>{5.0});
  EXPECT_EQ(fixture.kestor->services.size(), 2u);  // found twice: listed twice
  EXPECT_EQ(service->delegate, fixture.kestor.get());
  ASSERT_TRUE(fixture.waitForMessages(1));
  EXPECT_EQ(fixture.messageTexts().at(0), "KESTOR Service Test INDI was discovered");
}

TEST_F(Discovery, ThirdAttemptSucceeds) {
  std::atomic<int> attempts{0};
  fixture.framework.connect = [&](const char *, const char *, int32_t, kestor_server_entry **entry) {
    if (++attempts < 3) return kestor_result(KESTOR_FAILED);
    *entry = &first;
    return kestor_result(KESTOR_OK);
  };
  auto service = found(QStringLiteral("S"));
  fixture.events.clear();
  resolved(service);
  ASSERT_TRUE(settled(service));
  ASSERT_TRUE(fixture.waitForMessages(4));
  spinFor(20);
  const QStringList texts = fixture.messageTexts();
  EXPECT_EQ(texts.at(1), "KESTOR Service S was successfully resolved to host.local:7624");
  EXPECT_EQ(count(texts, "Failed to add service"), 2);
  EXPECT_EQ(fixture.kestor->servers.at(service), &first);
  EXPECT_EQ(fixture.events.count("services"), 1);
  const auto calls = fixture.framework.calls("connect_server");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].device, "S");
  EXPECT_EQ(calls[0].property, "127.0.0.1");  // the numeric address
  EXPECT_EQ(calls[0].value, 7624u);
}

TEST_F(Discovery, TenFailedAttemptsLogElevenLines) {
  auto service = found(QStringLiteral("S"));
  resolved(service);
  ASSERT_TRUE(settled(service));
  ASSERT_TRUE(fixture.waitForMessages(13));
  spinFor(20);
  EXPECT_EQ(count(fixture.messageTexts(), "Failed to add service"), 11);
  EXPECT_EQ(fixture.framework.calls("connect_server").size(), 10u);
  EXPECT_TRUE(fixture.kestor->servers.empty());
  EXPECT_EQ(fixture.kestor->services.size(), 1u);
}

TEST_F(Discovery, ResolvedTwiceStartsOneConnectionLoop) {
  std::promise<void> release;
  connectWhenReleased(release.get_future().share());
  auto service = found(QStringLiteral("S"));
  resolved(service);
  resolved(service);
  release.set_value();
  ASSERT_TRUE(settled(service));
  resolved(service);  // already connected
  spinFor(20);
  EXPECT_EQ(fixture.framework.calls("connect_server").size(), 1u);
}

TEST_F(Discovery, StoringANewEntryDisconnectsTheOldOne) {
  auto service = found(QStringLiteral("S"));
  fixture.kestor->storeServer(service, &first);
  fixture.kestor->storeServer(service, &first);
  EXPECT_TRUE(fixture.framework.calls("disconnect_server").empty());
  fixture.kestor->storeServer(service, &second);
  const auto calls = fixture.framework.calls("disconnect_server");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].entry, &first);
  EXPECT_EQ(fixture.kestor->servers.at(service), &second);
  fixture.kestor->storeServer(service, nullptr);
  EXPECT_TRUE(fixture.kestor->servers.empty());
}

TEST_F(Discovery, ConnectionThatSucceedsAfterRemovalIsClosed) {
  std::promise<void> release;
  connectWhenReleased(release.get_future().share());
  auto service = found(QStringLiteral("S"));
  resolved(service);
  ASSERT_TRUE(waitUntil([&] { return fixture.framework.calls("connect_server").size() == 1; }));
  fixture.kestor->serviceRemoved(service);  // while the attempt is under way
  release.set_value();
  ASSERT_TRUE(settled(service));
  EXPECT_TRUE(fixture.kestor->servers.empty());
  const auto calls = fixture.framework.calls("disconnect_server");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].entry, &first);
}

TEST_F(Discovery, RemovalDisconnectsAConnectedServiceOnly) {
  auto connected = found(QStringLiteral("A"));
  auto never = found(QStringLiteral("B"));
  fixture.kestor->storeServer(connected, &first);
  fixture.events.clear();
  fixture.kestor->serviceRemoved(never);
  EXPECT_TRUE(fixture.framework.calls("disconnect_server").empty());
  fixture.kestor->serviceRemoved(connected);
  ASSERT_EQ(fixture.framework.calls("disconnect_server").size(), 1u);
  EXPECT_TRUE(fixture.kestor->services.empty());
  EXPECT_EQ(fixture.events, (QStringList{"services", "services"}));
}

TEST_F(Discovery, ResolutionFailureLogsTwoLinesAndKeepsTheService) {
  auto service = found(QStringLiteral("S"));
  fixture.events.clear();
  fixture.kestor->netServiceDidNotResolve(service, {{QStringLiteral("errorCode"), -15}});
  ASSERT_TRUE(fixture.waitForMessages(3));
  EXPECT_EQ(fixture.messageTexts().mid(1), (QStringList{"KESTOR Service S could not be resolved", R"(["errorCode": -15])"}));
  EXPECT_EQ(fixture.kestor->services.size(), 1u);
  EXPECT_EQ(fixture.events.count("services"), 1);
}

TEST_F(Discovery, UnavailableDiscoveryIsLoggedOnce) {
  fixture.kestor->browserDidNotSearch(QStringLiteral("Daemon not running"));
  fixture.kestor->browserDidNotSearch(QStringLiteral("Daemon not running"));
  ASSERT_TRUE(fixture.waitForMessages(1));
  spinFor(20);
  ASSERT_EQ(fixture.kestor->messages.size(), 1);
  EXPECT_TRUE(fixture.messageTexts().at(0).contains("discovery is unavailable"));
}

TEST_F(Discovery, TypedInServers) {
  fixture.kestor->connect(QStringLiteral("127.0.0.1"), 7624);  // refused by the fake
  fixture.kestor->connect(QStringLiteral("127.0.0.1"), qint64(1) << 31);
  EXPECT_EQ(fixture.framework.calls("connect_server").size(), 1u);
  EXPECT_TRUE(fixture.events.isEmpty());
  fixture.framework.connect = [&](const char *name, const char *, int32_t, kestor_server_entry **entry) {
    EXPECT_EQ(name, nullptr);
    *entry = &first;
    return kestor_result(KESTOR_OK);
  };
  std::thread restore([&] { fixture.kestor->connect(QStringLiteral("127.0.0.1"), 7624); });
  ASSERT_TRUE(waitUntil([&] {
    const auto &servers = fixture.kestor->configuredServers;
    return servers.size() == 1 && servers.front().state == TypedServer::State::Connected;
  }));
  restore.join();
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

}  // namespace
