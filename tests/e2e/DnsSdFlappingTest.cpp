// Announcements that appear and vanish quickly: every service found is removed again, nothing of
// it stays in the model or the server table, and discovery still connects a server announced for
// good afterwards. Runs only inside the loopback-only namespace of dnssd-namespace.sh.
#include <QProcess>

#include <gtest/gtest.h>

#include "EventLoopWait.h"
#include "FaultClient.h"
#include "support/IndiServer.h"

namespace {

const QString TELESCOPE = QStringLiteral("Telescope Simulator");
const QString SERVICE = QStringLiteral("KESTOR Service Flapping INDI ");

void announce(QProcess &publish, int port) {
  publish.start(QStringLiteral("avahi-publish"), {QStringLiteral("-s"), QStringLiteral("Flapping INDI"),
                                                  QStringLiteral("_indi._tcp"), QString::number(port)});
  ASSERT_TRUE(publish.waitForStarted());
}

void withdraw(QProcess &publish) {
  publish.kill();
  publish.waitForFinished();
}

TEST(DnsSdFault, FlappingAnnouncementsLeaveNothingBehind) {
  if (qgetenv("KESTOR_DNSSD_NAMESPACE") != "1") GTEST_SKIP() << "runs only inside dnssd-namespace.sh";
  test_support::IndiServer server({"indi_simulator_telescope"});
  ASSERT_TRUE(server.start()) << server.log();
  FaultClient client(true);

  // Lifetimes and gaps in ms: from shorter than a resolve to longer than a connection.
  const int shown[] = {20, 250, 5, 600, 60, 1200, 10, 400};
  const int hidden[] = {10, 100, 300, 0, 50, 20, 200, 5};
  for (size_t i = 0; i < std::size(shown); ++i) {
    QProcess publish;
    announce(publish, server.port());
    spinFor(shown[i]);
    withdraw(publish);
    spinFor(hidden[i]);
  }
  const auto settled = [&] {
    const int found = client.logged(SERVICE + QStringLiteral("was discovered"));
    return found > 0 && found == client.logged(SERVICE + QStringLiteral("was removed")) &&
           client.kestor.services.empty() && client.kestor.servers.empty() && client.kestor.devices.empty();
  };
  EXPECT_TRUE(waitUntil(settled, 20000)) << client.log().toStdString();

  QProcess publish;
  announce(publish, server.port());
  EXPECT_TRUE(client.waitForProperty(TELESCOPE, QStringLiteral("CONNECTION"), 20000)) << client.log().toStdString();
  EXPECT_EQ(client.kestor.services.size(), 1u);
  withdraw(publish);
  EXPECT_TRUE(client.waitForEmptyModel(20000)) << client.log().toStdString();
  EXPECT_TRUE(client.kestor.services.empty());
  EXPECT_TRUE(client.kestor.servers.empty());
  EXPECT_LT(client.longestStall(), FREEZE_MS);
}

}  // namespace
