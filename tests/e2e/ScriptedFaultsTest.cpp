// Servers that misbehave, played by a scripted loopback server: one that dies in the middle of a
// BLOB, one that accepts and never answers, one that sends garbage, and one that closes and comes
// back. In each the client object stays responsive, keeps nothing of the lost server in its model
// and says in the message log what happened.
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <string>

#include "EventLoopWait.h"
#include "FaultClient.h"
#include "image/PixelBuffers.h"
#include "support/ResidentMemory.h"
#include "support/ScriptedServer.h"

namespace {

const QString CCD = QStringLiteral("Fault CCD");
const QString TEMPERATURE = QStringLiteral("CCD_TEMPERATURE");
const QString IMAGE = QStringLiteral("CCD1");

std::string definitions(const std::string &temperature) {
  return "<defNumberVector device=\"Fault CCD\" name=\"CCD_TEMPERATURE\" label=\"Temperature\" group=\"Main\" "
         "state=\"Idle\" perm=\"ro\" timeout=\"0\"><defNumber name=\"CCD_TEMPERATURE_VALUE\" label=\"T\" "
         "format=\"%6.2f\" min=\"-50\" max=\"50\" step=\"0\">" +
         temperature +
         "</defNumber></defNumberVector>\n"
         "<defBLOBVector device=\"Fault CCD\" name=\"CCD1\" label=\"Image\" group=\"Main\" state=\"Idle\" "
         "perm=\"ro\"><defBLOB name=\"CCD1\" label=\"Image\"/></defBLOBVector>\n";
}

std::string temperatureUpdate(const std::string &value) {
  return "<setNumberVector device=\"Fault CCD\" name=\"CCD_TEMPERATURE\" state=\"Ok\"><oneNumber "
         "name=\"CCD_TEMPERATURE_VALUE\">" +
         value + "</oneNumber></setNumberVector>\n";
}

// A setBLOBVector carrying the bytes, declaring their size unless given another.
std::string blobUpdate(const QByteArray &bytes, std::string size = {}, const std::string &format = ".fits") {
  if (size.empty()) size = std::to_string(bytes.size());
  return "<setBLOBVector device=\"Fault CCD\" name=\"CCD1\" state=\"Ok\"><oneBLOB name=\"CCD1\" size=\"" + size +
         "\" format=\"" + format + "\">" + bytes.toBase64().toStdString() + "</oneBLOB></setBLOBVector>\n";
}

double temperature(const FaultClient &client) {
  const auto property = client.property(CCD, TEMPERATURE);
  return property ? numberValue(*property, QStringLiteral("CCD_TEMPERATURE_VALUE")) : -1000;
}

std::optional<QByteArray> image(const FaultClient &client) {
  const auto property = client.property(CCD, IMAGE);
  if (!property) return std::nullopt;
  return std::static_pointer_cast<KESTOR::BLOBItem>(property->items.at(IMAGE))->value();
}

class ScriptedFault : public ::testing::Test {
protected:
  // Connects the client to the scripted server and has the device defined.
  void connectAndDefine(const std::string &temperature = "-10") {
    client.kestor.connect(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(server.waitForClient());
    // A client closed before stays the server's until the new one is accepted.
    ASSERT_TRUE(waitUntil([&] { return !server.clientClosed(); }));
    ASSERT_TRUE(server.waitForReceived("<getProperties"));
    ASSERT_TRUE(server.send(definitions(temperature)));
    ASSERT_TRUE(client.waitForProperty(CCD, IMAGE)) << client.log().toStdString();
  }
  QString peer() const { return QStringLiteral("127.0.0.1:") + QString::number(server.port()); }
  QString ended() const { return QStringLiteral("Connection to ") + peer() + QStringLiteral(" ended: "); }

  FaultClient client;
  test_support::ScriptedServer server;
};

TEST_F(ScriptedFault, ServerDyingInTheMiddleOfABlobLeavesNoPartOfIt) {
  connectAndDefine();
  ASSERT_TRUE(server.send(blobUpdate("first image")));
  ASSERT_TRUE(waitUntil([&] { return image(client) == QByteArray("first image"); })) << client.log().toStdString();
  const auto blobProperty = client.property(CCD, IMAGE);

  const std::string big = blobUpdate(QByteArray(4 << 20, '\x5a'));
  ASSERT_TRUE(server.send(std::string_view(big).substr(0, big.size() / 2)));
  spinFor(200);
  EXPECT_EQ(image(client), QByteArray("first image"));  // the half BLOB is not shown
  server.closeClient();

  EXPECT_TRUE(client.waitForEmptyModel()) << client.log().toStdString();
  EXPECT_TRUE(blobProperty->deleted);
  EXPECT_TRUE(client.waitForLog(ended() + QStringLiteral("closed by the server"))) << client.log().toStdString();
  EXPECT_LT(client.longestStall(), FREEZE_MS);
}

TEST_F(ScriptedFault, ServerThatNeverAnswersIsConnectedAtOnceAndClosedPromptly) {
  kestor_set_log_level(1);  // connection notices: "Connected to", "ended: disconnected"
  QElapsedTimer clock;
  clock.start();
  client.kestor.connect(QStringLiteral("127.0.0.1"), server.port());
  EXPECT_LT(clock.elapsed(), 2000);
  ASSERT_EQ(client.kestor.configuredServers.size(), 1u);
  ASSERT_TRUE(server.waitForReceived("<getProperties"));
  spinFor(300);
  EXPECT_TRUE(client.kestor.devices.empty());
  EXPECT_TRUE(client.waitForLog(QStringLiteral("Connected to ") + peer())) << client.log().toStdString();

  clock.restart();
  kestor_server_entry *entry = client.kestor.configuredServers.front().entry;
  kestor_disconnect_server(entry);
  client.kestor.removeServer(entry);
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_TRUE(server.waitForClientClosed(std::chrono::seconds(2)));
  EXPECT_TRUE(client.waitForLog(ended() + QStringLiteral("disconnected"))) << client.log().toStdString();
  EXPECT_LT(client.longestStall(), FREEZE_MS);
  kestor_set_log_level(0);
}

TEST_F(ScriptedFault, ServerThatClosesAndComesBackIsEmptiedThenRefilledByANewConnect) {
  connectAndDefine("-10");
  const auto before = client.property(CCD, TEMPERATURE);
  const size_t properties = client.kestor.devices.at(CCD)->properties.size();
  server.closeClient();
  EXPECT_TRUE(client.waitForEmptyModel()) << client.log().toStdString();
  EXPECT_TRUE(before->deleted);
  EXPECT_TRUE(client.waitForLog(ended() + QStringLiteral("closed by the server")));
  // A change to what the server had defined goes nowhere, and does not hold up later changes.
  client.kestor.changeNumber(before, {{QStringLiteral("CCD_TEMPERATURE_VALUE"), 5.0}});
  client.kestor.waitForChanges();

  // Nothing connects again by itself: the server is connected again the way the user does it.
  connectAndDefine("-20");
  EXPECT_EQ(client.kestor.devices.size(), 1u);
  EXPECT_EQ(client.kestor.devices.at(CCD)->properties.size(), properties);
  EXPECT_NE(client.property(CCD, TEMPERATURE), before);
  EXPECT_EQ(temperature(client), -20);
  ASSERT_TRUE(server.send(temperatureUpdate("-21")));
  EXPECT_TRUE(waitUntil([&] { return temperature(client) == -21; }));
  EXPECT_EQ(server.received().find("<newNumberVector"), std::string::npos);
  EXPECT_EQ(client.logged(QStringLiteral("closed by the server")), 1) << client.log().toStdString();
  EXPECT_LT(client.longestStall(), FREEZE_MS);
}

// A server that declares sizes its BLOBs never fill, many at once: memory follows the bytes that
// arrived, and nothing of them is left once the server is gone.
TEST_F(ScriptedFault, LyingBlobSizesCostNoMoreThanTheBytesSent) {
  if (!test_support::RESIDENT_MEMORY_MEANINGFUL) GTEST_SKIP() << "resident memory means nothing under a sanitizer";
  using test_support::megabytes;
  connectAndDefine();
  spinFor(300);
  const int64_t before = test_support::residentBytes();
  ASSERT_TRUE(test_support::resetPeak());
  const struct {
    const char *size, *format;
  } lies[] = {
      {"99999999999", ".fits"},  // beyond the library's limit: refused
      {"536870912", ".fits"},    // at the limit: a BLOB of the 10 bytes that came
      {"536870912", ".fits.z"},  // does not inflate to what it declares: refused
  };
  double temperatureSent = 0;
  for (const auto &[size, format] : lies) {
    std::string burst;
    for (int i = 0; i < 8; ++i) burst += blobUpdate("ABCDEFGHIJ", size, format);  // 16 characters of base64
    ASSERT_TRUE(server.send(burst + temperatureUpdate(std::to_string(++temperatureSent))));
    ASSERT_TRUE(waitUntil([&] { return temperature(client) == temperatureSent; })) << client.log().toStdString();
  }
  spinFor(1000);  // for whatever the pool prepares meanwhile
  const int64_t peak = test_support::peakResidentBytes();
  server.closeClient();
  ASSERT_TRUE(client.waitForEmptyModel()) << client.log().toStdString();
  spinFor(500);
  const int64_t after = test_support::residentBytes();
  std::printf("resident before %.1f MiB, peak %+.1f MiB, after the server %+.1f MiB\n", megabytes(before),
              megabytes(peak - before), megabytes(after - before));
  EXPECT_LE(megabytes(peak - before), 64);
  EXPECT_LE(megabytes(after - before), 20);
  EXPECT_TRUE(client.logged(QStringLiteral("is not acceptable"))) << client.log().toStdString();
}

// A frame more than half there has a pixel buffer made ready for it; cut short by a server that
// goes away, it gives that buffer back with its bytes.
TEST_F(ScriptedFault, ABlobCutShortGivesBackWhatWasMadeForIt) {
  if (!test_support::RESIDENT_MEMORY_MEANINGFUL) GTEST_SKIP() << "resident memory means nothing under a sanitizer";
  constexpr int64_t DECLARED = int64_t(64) << 20;
  connectAndDefine();
  spinFor(300);
  const int64_t before = test_support::residentBytes();
  {
    const std::string blob = blobUpdate(QByteArray(40 << 20, '\x5a'), std::to_string(DECLARED));
    ASSERT_TRUE(server.send(std::string_view(blob).substr(0, blob.size() - 100)));
  }
  EXPECT_TRUE(waitUntil([] { return PixelBuffers::expectedBytes() == DECLARED; }));
  server.closeClient();
  ASSERT_TRUE(client.waitForEmptyModel()) << client.log().toStdString();
  EXPECT_TRUE(waitUntil([] { return PixelBuffers::expectedBytes() == 0; }));
  spinFor(300);
  EXPECT_LE(test_support::megabytes(test_support::residentBytes() - before), 20);
}

// Garbage after the definitions: what cannot be read ends the connection and empties the model;
// well-formed elements that mean nothing are skipped with a line each and the stream goes on.
struct Garbage {
  const char *name;
  std::string bytes;
  bool endsTheConnection;
  const char *logText;
};

void PrintTo(const Garbage &garbage, std::ostream *out) { *out << garbage.name; }

class ScriptedGarbage : public ScriptedFault, public ::testing::WithParamInterface<Garbage> {};

TEST_P(ScriptedGarbage, IsReportedAndLeavesNothingStale) {
  const Garbage &garbage = GetParam();
  connectAndDefine();
  const auto before = client.property(CCD, TEMPERATURE);
  server.send(garbage.bytes);  // the client may give up before it has all
  if (garbage.endsTheConnection) {
    EXPECT_TRUE(client.waitForEmptyModel()) << client.log().toStdString();
    EXPECT_TRUE(before->deleted);
    EXPECT_TRUE(server.waitForClientClosed());
    EXPECT_TRUE(client.waitForLog(ended() + QString::fromUtf8(garbage.logText))) << client.log().toStdString();
  } else {
    ASSERT_TRUE(server.send(temperatureUpdate("7.5")));
    EXPECT_TRUE(waitUntil([&] { return temperature(client) == 7.5; })) << client.log().toStdString();
    EXPECT_FALSE(before->deleted);
    EXPECT_TRUE(client.waitForLog(QString::fromUtf8(garbage.logText))) << client.log().toStdString();
  }
  EXPECT_LT(client.longestStall(), FREEZE_MS);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScriptedGarbage,
    ::testing::Values(
        Garbage{"BinaryNoise", std::string("\x00\x01\xff\xfe<<\x80 garbage &;\n", 19), true, ""},
        Garbage{"UnbalancedEndTag", "</defNumberVector>\n", true, ""},
        Garbage{"DocumentTypeDeclaration", "<!DOCTYPE x [<!ENTITY a \"b\">]>\n", true, ""},
        Garbage{"EndlessTag", "<defTextVector device=\"" + std::string(2 << 20, 'a'), true,
                "a tag exceeds the size limit of 1 MiB"},
        Garbage{"TextBetweenElementsBeyond64KiB", std::string(70000, ' ') + "\n", true,
                "text between elements exceeds the size limit of 64 KiB"},
        // Long but legal: indiserver forwards a message of any length unchanged.
        Garbage{"MessageOf70000Characters",
                "<message device=\"Evil\" message=\"Evil says " + std::string(70000, 'x') + "\"/>\n", false,
                "Evil says xxxxxxxx"},
        Garbage{"UpdateWithA70000CharacterMessage",
                "<setNumberVector device=\"Fault CCD\" name=\"CCD_TEMPERATURE\" state=\"Ok\" message=\"Long " +
                    std::string(70000, 'y') +
                    "\"><oneNumber name=\"CCD_TEMPERATURE_VALUE\">3</oneNumber></setNumberVector>\n",
                false, "Long yyyyyyyy"},
        Garbage{"UnknownElement", "<hello world=\"1\"/>\n", false, "Skipped an element from "},
        Garbage{"UpdateOfAnUnknownDevice",
                "<setNumberVector device=\"Nobody\" name=\"X\"><oneNumber name=\"Y\">1</oneNumber></setNumberVector>\n",
                false, "update of unknown property Nobody.X"},
        Garbage{"NumberThatIsNoNumber", temperatureUpdate("warm"), false, "Skipped an element from "}),
    [](const ::testing::TestParamInfo<Garbage> &info) { return std::string(info.param.name); });

}  // namespace
