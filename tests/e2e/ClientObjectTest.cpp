// The client object against a real indiserver with the simulator drivers: the model follows the
// definitions, changes reach the server, BLOBs arrive only when enabled, and a stopped server
// leaves an empty model.
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <iostream>

#include "EventLoopWait.h"
#include "Fakes.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "kestor/Model.h"
#include "ModelQueries.h"
#include "support/IndiServer.h"

namespace {

const QString TELESCOPE = QStringLiteral("Telescope Simulator");
const QString CCD = QStringLiteral("CCD Simulator");

class Server : public ::testing::Test {
protected:
  explicit Server(std::vector<std::string> drivers = {"indi_simulator_telescope", "indi_simulator_ccd"})
      : server(std::move(drivers)) {}

  void SetUp() override {
    ASSERT_TRUE(server.start()) << server.log();
    kestor.addDelegate(&delegate);
    kestor.start(false, false);
    kestor.connect(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_EQ(kestor.configuredServers.size(), 1u);
  }
  void TearDown() override {
    kestor.waitForChanges();
    kestor.disconnectServersExcept([](const TypedServer &) { return false; });
    waitUntil([&] { return kestor.devices.empty(); });
    kestor_stop();
    defaults().remove(QStringLiteral("enableBLOBTransfer"));
  }

  std::shared_ptr<KESTOR::Property> property(const QString &device, const QString &name, int timeoutMs = 10000) {
    std::shared_ptr<KESTOR::Property> found;
    waitUntil(
        [&] {
          auto owner = kestor.devices.find(device);
          if (owner == kestor.devices.end()) return false;
          auto named = owner->second->properties.find(name);
          if (named == owner->second->properties.end()) return false;
          found = named->second;
          return true;
        },
        timeoutMs);
    return found;
  }

  void connectDevice(const QString &device) {
    auto connection = property(device, QStringLiteral("CONNECTION"));
    ASSERT_TRUE(connection) << device.toStdString();
    kestor.changeSwitch(connection, QStringLiteral("CONNECTED"), true);
    ASSERT_TRUE(waitUntil([&] { return kestor.devices.at(device)->connected; }, 10000));
  }

  // Exposes the CCD for a moment, enabling BLOB transfer as the "enableBLOBTransfer" setting says;
  // true when the image arrived.
  bool exposeAndWaitForImage(int waitMs) {
    auto blob = property(CCD, QStringLiteral("CCD1"));
    auto exposure = property(CCD, QStringLiteral("CCD_EXPOSURE"));
    if (!blob || !exposure) return false;
    const bool enabled = UserDefaults::boolForKey(QStringLiteral("enableBLOBTransfer"), false);
    std::atomic<bool> sent{false};
    asyncGlobal([&] {
      kestor.enableBLOB(blob, enabled);
      sent = true;
    });
    waitUntil([&] { return sent.load(); });
    events.clear();
    kestor.changeNumber(exposure, {{exposure->itemNames.first(), 0.1}});
    const bool arrived =
        waitUntil([&] { return events.contains(QStringLiteral("changed CCD Simulator.CCD1")); }, waitMs);
    if (!arrived) return false;
    auto image = std::static_pointer_cast<KESTOR::BLOBItem>(blob->items.at(QStringLiteral("CCD1")));
    auto value = image->value();
    return value && value->startsWith("SIMPLE") && image->format() == QStringLiteral(".fits");
  }

  test_support::IndiServer server;
  KESTOR kestor;
  QStringList events;
  RecordingDelegate delegate{&events};
};

TEST_F(Server, ModelFollowsDefinitionsConnectingSetsTheFlagsAndAStoppedServerEmptiesIt) {
  auto connection = property(TELESCOPE, QStringLiteral("CONNECTION"));
  ASSERT_TRUE(connection);
  auto device = kestor.devices.at(TELESCOPE);
  EXPECT_FALSE(device->connected);
  EXPECT_EQ(device->connectionProperty.lock(), connection);
  EXPECT_EQ(connection->itemNames, (QStringList{"CONNECTED", "DISCONNECTED"}));
  EXPECT_EQ(device->groups.at(connection->group)->properties.at(QStringLiteral("CONNECTION")), connection);
  connectDevice(TELESCOPE);
  EXPECT_FALSE(device->disconnected);
  EXPECT_TRUE(property(TELESCOPE, QStringLiteral("MOUNT_EQUATORIAL_COORDINATES")));
  EXPECT_GT(connection->seq, 0);
  ASSERT_TRUE(property(CCD, QStringLiteral("CONNECTION")));
  server.stop();  // the model empties
  EXPECT_TRUE(waitUntil([&] { return kestor.devices.empty(); }, 10000));
  EXPECT_TRUE(events.contains(QStringLiteral("deleted Telescope Simulator.CONNECTION")));
}

TEST_F(Server, TextNumberAndSwitchChangesArriveAtTheServer) {
  // Numbers leave the client in the same form whatever the user's locale: run under a German
  // one, made for the test where the system has none.
  QTemporaryDir locales;
  QProcess::execute(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                     locales.filePath(QStringLiteral("de_DE.UTF-8"))});
  qputenv("LOCPATH", locales.path().toUtf8());
  const char *savedLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (savedLocale != nullptr) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", 1500.5);
    EXPECT_STREQ(text, "1500,5");  // the locale is in force
  } else {
    std::cout << "no German locale could be made: numbers checked in the C locale only\n";
  }
  connectDevice(TELESCOPE);
  auto info = property(TELESCOPE, QStringLiteral("TELESCOPE_INFO"));
  ASSERT_TRUE(info);
  QMap<QString, double> numbers;
  for (const QString &name : info->itemNames) numbers.insert(name, 100);
  numbers.insert(QStringLiteral("TELESCOPE_APERTURE"), 1500.5);
  kestor.changeNumber(info, numbers);
  auto aperture = std::static_pointer_cast<KESTOR::NumberItem>(info->items.at(QStringLiteral("TELESCOPE_APERTURE")));
  EXPECT_TRUE(waitUntil([&] { return aperture->value() == 1500.5; }, 10000)) << aperture->value();
  std::setlocale(LC_NUMERIC, "C");
  qunsetenv("LOCPATH");

  auto active = property(TELESCOPE, QStringLiteral("ACTIVE_DEVICES"));
  ASSERT_TRUE(active);
  const QString text = QStringLiteral("GPS <&\"'> Simulator");
  kestor.changeText(active, {{active->itemNames.first(), text}});
  auto item = std::static_pointer_cast<KESTOR::TextItem>(active->items.at(active->itemNames.first()));
  EXPECT_TRUE(waitUntil([&] { return item->value() == text; }, 10000)) << item->value().toStdString();

  auto connection = property(TELESCOPE, QStringLiteral("CONNECTION"));
  kestor.changeSwitch(connection, QStringLiteral("DISCONNECTED"), true);
  EXPECT_TRUE(waitUntil([&] { return !kestor.devices.at(TELESCOPE)->connected; }, 10000));
}

TEST_F(Server, BlobArrivesOnlyWhenTransferIsEnabled) {
  connectDevice(CCD);
  auto exposure = property(CCD, QStringLiteral("CCD_EXPOSURE"));
  EXPECT_FALSE(exposeAndWaitForImage(3000));
  EXPECT_TRUE(waitUntil([&] { return exposure->state() == KESTOR_STATE_OK; }, 5000));  // the exposure completed
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  EXPECT_TRUE(exposeAndWaitForImage(15000));
}

// A driver that writes bytes that are not UTF-8 and characters that XML forbids, beside the CCD.
class StrayBytes : public Server {
protected:
  StrayBytes() : Server({STRAY_DRIVER, "indi_simulator_ccd"}) {}
};

TEST_F(StrayBytes, TheStreamGoesOnAndTheTextIsReadByItsRules) {
  const QString stray = QStringLiteral("Stray Bytes Driver");
  auto temperature = property(stray, QStringLiteral("TEMPERATURE"));
  ASSERT_TRUE(temperature) << server.log();
  EXPECT_EQ(temperature->description(), QStringLiteral("Temperature \uFFFDC"));  // labels: lossy
  EXPECT_EQ(temperature->items.at(QStringLiteral("TEMP"))->description(), QStringLiteral("Sensor \uFFFDC"));
  EXPECT_EQ(numberValue(*temperature, QStringLiteral("TEMP")), 12.5);
  auto note = property(stray, QString());  // a name that is not UTF-8 is empty
  ASSERT_TRUE(note);
  EXPECT_EQ(std::static_pointer_cast<KESTOR::TextItem>(note->items.at(QStringLiteral("NOTE")))->value(),
            QStringLiteral("ring\uFFFD \uFFFD[0m"));  // values: lossy, a control character too
  // The driver sends its three messages at each request for its properties (one or more); indiserver
  // drops the bell, and a message that is not UTF-8 is dropped.
  EXPECT_TRUE(waitUntil([&] {
    const int sent = logged(kestor, QStringLiteral("stray bytes sent"));
    return sent >= 1 && logged(kestor, QStringLiteral("[INFO] bell")) == sent;
  }));
  EXPECT_EQ(logged(kestor, QStringLiteral("[INFO] 20")), 0);

  connectDevice(CCD);  // the other driver's device stays and updates
  auto exposure = property(CCD, QStringLiteral("CCD_EXPOSURE"));
  ASSERT_TRUE(exposure);
  const auto seq = exposure->seq;
  kestor.changeNumber(exposure, {{exposure->itemNames.first(), 0.1}});
  EXPECT_TRUE(waitUntil([&] { return exposure->seq > seq && exposure->state() == KESTOR_STATE_OK; }, 10000));
  EXPECT_TRUE(kestor.devices.count(stray));
}

TEST_F(Server, RefreshingKeepsTheModelAsItIsAndTheTargetsSent) {
  connectDevice(TELESCOPE);
  connectDevice(CCD);
  auto &properties = kestor.devices.at(TELESCOPE)->properties;
  // Let the definitions that follow the connection settle.
  size_t count = 0;
  waitUntil(
      [&] {
        const size_t now = properties.size() + kestor.devices.at(CCD)->properties.size();
        const bool settled = now == count;
        count = now;
        spinFor(300);
        return settled;
      },
      10000);
  // An exposure of 1 s, counted down to 0 by the server; its target stays what was sent.
  auto exposure = property(CCD, QStringLiteral("CCD_EXPOSURE"));
  ASSERT_TRUE(exposure);
  const QString seconds = exposure->itemNames.first();
  const auto target = [&](const std::shared_ptr<KESTOR::Property> &p) {
    return std::static_pointer_cast<KESTOR::NumberItem>(p->items.at(seconds))->target();
  };
  kestor.changeNumber(exposure, {{seconds, 1}});
  ASSERT_TRUE(waitUntil([&] { return exposure->state() == KESTOR_STATE_BUSY; }, 10000));
  ASSERT_TRUE(waitUntil([&] { return exposure->state() == KESTOR_STATE_OK; }, 10000));
  EXPECT_EQ(numberValue(*exposure, seconds), 0);
  EXPECT_EQ(target(exposure), 1);

  const auto before = properties;
  kestor.refreshDelay = 0;
  events.clear();
  std::atomic<bool> asked{false};
  asyncGlobal([&] {
    kestor.refreshProperties();
    asked = true;
  });
  ASSERT_TRUE(waitUntil([&] { return asked.load(); }));
  spinFor(1000);  // the servers send every definition again
  QStringList changed;
  for (const auto &[name, property] : properties) {
    auto old = before.find(name);
    if (old == before.end() || old->second != property) changed.append(name);
  }
  EXPECT_EQ(properties.size(), before.size());
  EXPECT_TRUE(changed.isEmpty()) << changed.join(u' ').toStdString();
  EXPECT_TRUE(events.filter(QStringLiteral("defined ")).isEmpty()) << events.join(u'\n').toStdString();
  EXPECT_EQ(target(exposure), 1);

  // Deleted with the disconnection and defined anew: the target starts from the value again.
  kestor.changeSwitch(property(CCD, QStringLiteral("CONNECTION")), QStringLiteral("DISCONNECTED"), true);
  ASSERT_TRUE(waitUntil([&] { return !findProperty(kestor, CCD, QStringLiteral("CCD_EXPOSURE")); }, 10000));
  connectDevice(CCD);
  auto anew = property(CCD, QStringLiteral("CCD_EXPOSURE"));
  ASSERT_TRUE(anew);
  EXPECT_EQ(target(anew), numberValue(*anew, seconds));
}

}  // namespace
