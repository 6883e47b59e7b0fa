// A real indiserver killed under the client object: the model empties with a line in the log, and
// a server started again is connected and fills the model anew.
#include <gtest/gtest.h>

#include "FaultClient.h"
#include "support/IndiServer.h"

namespace {

const QString TELESCOPE = QStringLiteral("Telescope Simulator");
const QString CCD = QStringLiteral("CCD Simulator");

TEST(IndiServerFault, KilledServerEmptiesTheModelAndAServerStartedAgainRefillsIt) {
  FaultClient client;
  std::shared_ptr<KESTOR::Property> before;
  {
    test_support::IndiServer server({"indi_simulator_telescope", "indi_simulator_ccd"});
    ASSERT_TRUE(server.start()) << server.log();
    client.kestor.connect(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(client.waitForProperty(TELESCOPE, QStringLiteral("CONNECTION")));
    ASSERT_TRUE(client.waitForProperty(CCD, QStringLiteral("CONNECTION")));
    before = client.property(CCD, QStringLiteral("CONNECTION"));
    server.kill();
    EXPECT_TRUE(client.waitForEmptyModel()) << client.log().toStdString();
    EXPECT_TRUE(before->deleted);
    EXPECT_TRUE(client.waitForLog(QStringLiteral("Connection to 127.0.0.1:") + QString::number(server.port()) +
                                  QStringLiteral(" ended: ")))
        << client.log().toStdString();
  }
  test_support::IndiServer again({"indi_simulator_telescope", "indi_simulator_ccd"});
  ASSERT_TRUE(again.start()) << again.log();
  client.kestor.connect(QStringLiteral("127.0.0.1"), again.port());
  ASSERT_TRUE(client.waitForProperty(TELESCOPE, QStringLiteral("CONNECTION")));
  ASSERT_TRUE(client.waitForProperty(CCD, QStringLiteral("CONNECTION")));
  EXPECT_NE(client.property(CCD, QStringLiteral("CONNECTION")), before);
  EXPECT_LT(client.longestStall(), FREEZE_MS);
}

}  // namespace
