// Discovery for real: an indiserver announced with avahi-publish is found, resolved and connected,
// and withdrawing the announcement disconnects it. Runs only inside the loopback-only namespace
// that dnssd-namespace.sh sets up.
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include "EventLoopWait.h"
#include "kestor/Model.h"
#include "support/IndiServer.h"

namespace {

// Records service notifications and whether each arrived on the main thread.
class ServiceWatcher : public KESTORDelegate {
public:
  void servicesChanged() override {
    ++notifications;
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) offMainThread = true;
  }
  int notifications = 0;
  bool offMainThread = false;
};

// Announces the server's port as "Test INDI" until the process ends.
void announce(QProcess &publish, int port) {
  publish.start(QStringLiteral("avahi-publish"), {QStringLiteral("-s"), QStringLiteral("Test INDI"),
                                                  QStringLiteral("_indi._tcp"), QString::number(port)});
  publish.waitForStarted();
}

int count(const KESTOR &kestor, const QString &text) {
  return static_cast<int>(std::count_if(kestor.messages.begin(), kestor.messages.end(),
                                        [&](const QString &entry) { return entry.mid(13) == text; }));
}

bool logged(const KESTOR &kestor, const QString &text) {
  for (const QString &entry : kestor.messages)
    if (entry.mid(13) == text) return true;
  return false;
}

TEST(DnsSd, AnnouncedServerIsConnectedAndDisconnectedWhenWithdrawn) {
  if (qgetenv("KESTOR_DNSSD_NAMESPACE") != "1") GTEST_SKIP() << "runs only inside dnssd-namespace.sh";
  test_support::IndiServer server({"indi_simulator_telescope"});
  ASSERT_TRUE(server.start()) << server.log();

  KESTOR kestor;
  ServiceWatcher watcher;
  kestor.addDelegate(&watcher);
  kestor.start(false, true);

  QProcess publish;
  announce(publish, server.port());

  const QString prefix = QStringLiteral("KESTOR Service Test INDI ");
  EXPECT_TRUE(waitUntil([&] { return logged(kestor, prefix + QStringLiteral("was discovered")); }, 20000))
      << kestor.messages.join(u'\n').toStdString();
  ASSERT_TRUE(waitUntil([&] { return kestor.devices.count(QStringLiteral("Telescope Simulator")) != 0; }, 20000))
      << kestor.messages.join(u'\n').toStdString();
  ASSERT_EQ(kestor.services.size(), 1u);
  const auto service = kestor.services.front();
  EXPECT_EQ(service->address, "127.0.0.1");
  EXPECT_EQ(service->port, server.port());
  EXPECT_TRUE(logged(kestor, prefix + QStringLiteral("was successfully resolved to ") + service->hostName + u':' +
                                 QString::number(server.port())));
  EXPECT_EQ(kestor.servers.count(service), 1u);

  publish.terminate();
  ASSERT_TRUE(publish.waitForFinished());
  EXPECT_TRUE(waitUntil([&] { return logged(kestor, prefix + QStringLiteral("was removed")); }, 20000));
  EXPECT_TRUE(waitUntil([&] { return kestor.devices.empty(); }, 10000));
  EXPECT_TRUE(kestor.services.empty());
  EXPECT_TRUE(kestor.servers.empty());
  EXPECT_GE(watcher.notifications, 3);
  EXPECT_FALSE(watcher.offMainThread);
  kestor_stop();
}

// Without a DNS-SD daemon the client still starts, says so once, and connects typed-in servers.
TEST(DnsSd, WithoutADaemonTypedInServersStillWork) {
  if (qgetenv("KESTOR_DNSSD_NAMESPACE") != "1") GTEST_SKIP() << "runs only inside dnssd-namespace.sh";
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
  test_support::IndiServer server({"indi_simulator_telescope"});
  ASSERT_TRUE(server.start()) << server.log();
  KESTOR kestor;
  kestor.start(false, true);
  kestor.connect(QStringLiteral("127.0.0.1"), server.port());
  EXPECT_TRUE(waitUntil([&] { return kestor.devices.count(QStringLiteral("Telescope Simulator")) != 0; }, 10000));
  const auto unavailable = [&] {
    return std::count_if(kestor.messages.begin(), kestor.messages.end(), [](const QString &entry) {
      return entry.contains(QStringLiteral("discovery is unavailable"));
    });
  };
  EXPECT_TRUE(waitUntil([&] { return unavailable() > 0; }));
  spinFor(50);
  EXPECT_EQ(unavailable(), 1) << kestor.messages.join(u'\n').toStdString();
  EXPECT_TRUE(logged(kestor, QStringLiteral("KESTOR Started...")));
  kestor.disconnectServersExcept([](const TypedServer &) { return false; });
  waitUntil([&] { return kestor.devices.empty(); });
  kestor_stop();
}

// The daemon goes away and comes back: its services are removed, then found and connected again.
TEST(DnsSd, DiscoveryResumesWhenTheDaemonRestarts) {
  if (qgetenv("KESTOR_DNSSD_NAMESPACE") != "1") GTEST_SKIP() << "runs only inside dnssd-namespace.sh";
  test_support::IndiServer server({"indi_simulator_telescope"});
  ASSERT_TRUE(server.start()) << server.log();
  KESTOR kestor;
  kestor.start(false, true);
  QProcess publish;
  announce(publish, server.port());
  const QString telescope = QStringLiteral("Telescope Simulator");
  ASSERT_TRUE(waitUntil([&] { return kestor.devices.count(telescope) != 0; }, 20000));

  // Stop the daemon (the one this namespace started) by the pid it wrote.
  QFile pidFile(QStringLiteral("/run/avahi-daemon/pid"));
  ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
  const pid_t daemon = pidFile.readAll().trimmed().toInt();
  ASSERT_GT(daemon, 1);
  ::kill(daemon, SIGKILL);
  pidFile.close();
  QFile::remove(pidFile.fileName());  // the killed daemon cannot remove it
  EXPECT_TRUE(waitUntil([&] { return kestor.devices.empty() && kestor.services.empty(); }, 20000))
      << kestor.messages.join(u'\n').toStdString();
  publish.kill();
  publish.waitForFinished();

  ASSERT_EQ(QProcess::execute(QStringLiteral("avahi-daemon"),
                              {QStringLiteral("-D"), QStringLiteral("--no-chroot"), QStringLiteral("-f"),
                               qEnvironmentVariable("KESTOR_AVAHI_CONF")}),
            0);
  QProcess again;
  waitUntil([&] { return QProcess::execute(QStringLiteral("avahi-daemon"), {QStringLiteral("-c")}) == 0; }, 10000);
  announce(again, server.port());
  EXPECT_TRUE(waitUntil([&] { return kestor.devices.count(telescope) != 0; }, 30000))
      << kestor.messages.join(u'\n').toStdString();
  EXPECT_EQ(count(kestor, QStringLiteral("KESTOR Service Test INDI was discovered")), 2);
  again.kill();
  again.waitForFinished();
  waitUntil([&] { return kestor.devices.empty(); });
  kestor_stop();
}

}  // namespace
