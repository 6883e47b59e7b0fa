// A real indiserver killed under the client object: the model empties with a line in the log, the
// typed-in server's entry goes, and the server started again on its port is connected anew.
#include <gtest/gtest.h>

#include "EventLoopWait.h"
#include "FaultClient.h"
#include "support/IndiServer.h"

namespace {

const QString TELESCOPE = QStringLiteral("Telescope Simulator");
const QString CCD = QStringLiteral("CCD Simulator");

TEST(IndiServerFault, KilledServerEmptiesTheModelAndConnectsAgainOnceRestarted) {
  FaultClient client;
  test_support::IndiServer server({"indi_simulator_telescope", "indi_simulator_ccd"});
  ASSERT_TRUE(server.start()) << server.log();
  client.kestor.connect(QStringLiteral("127.0.0.1"), server.port());
  ASSERT_TRUE(client.waitForProperty(TELESCOPE, QStringLiteral("CONNECTION")));
  ASSERT_TRUE(client.waitForProperty(CCD, QStringLiteral("CONNECTION")));
  const std::shared_ptr<KESTOR::Property> before = client.property(CCD, QStringLiteral("CONNECTION"));
  ASSERT_TRUE(server.restart()) << server.log();
  EXPECT_TRUE(client.waitForEmptyModel()) << client.log().toStdString();
  EXPECT_TRUE(before->deleted);
  EXPECT_TRUE(client.waitForLog(QStringLiteral("Connection to 127.0.0.1:") + QString::number(server.port()) +
                                QStringLiteral(" ended: ")))
      << client.log().toStdString();
  // A typed-in server is connected or absent: its entry goes, and connecting it again starts anew.
  EXPECT_TRUE(waitUntil([&] { return client.kestor.configuredServers.empty(); }, 5000));
  client.kestor.connect(QStringLiteral("127.0.0.1"), server.port());
  ASSERT_TRUE(client.waitForProperty(TELESCOPE, QStringLiteral("CONNECTION")));
  ASSERT_TRUE(client.waitForProperty(CCD, QStringLiteral("CONNECTION")));
  EXPECT_NE(client.property(CCD, QStringLiteral("CONNECTION")), before);
  EXPECT_EQ(client.kestor.configuredServers.size(), 1u);
  EXPECT_EQ(client.logged(QStringLiteral("belongs to another connection")), 0) << client.log().toStdString();
  EXPECT_LT(client.longestStall(), FREEZE_MS);
}

}  // namespace
