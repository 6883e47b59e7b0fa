// The client object in server mode, end to end: the server on the global pool with the drivers of
// the drivers files, the telescope simulator started as a linked executable and the test library
// driver loaded; the stock INDI tools and the client's own model see both devices; the service
// is published once, with the port the server listens on; shutting down reaps every child.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/wait.h>

#include "EventLoopWait.h"
#include "core/Globals.h"
#include "kestor/KESTOR.h"
#include "kestor/discovery/PublishedService.h"
#include "kestor/server/KESTORDriver.h"
#include "support/Command.h"

namespace {

class RecordedService : public PublishedService {
public:
  using PublishedService::PublishedService;
  void publish() override {
    ++published;
    if (willPublish) willPublish(*this);
  }
  void stop() override { ++stopped; }
  int published = 0;
  int stopped = 0;
};

}  // namespace

TEST(ServerMode, ServesItsDriversAndPublishesTheRealPortOnce) {
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  qputenv("HOME", scratch.path().toUtf8());
  qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
  qputenv("KESTOR_DRIVER_DIR", DRIVER_DIR);
  const QString executables = driverFolders::executables();
  ASSERT_TRUE(QDir().mkpath(executables));
  ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin/indi_simulator_telescope"),
                          executables + QStringLiteral("/indi_simulator_telescope")));
  defaults().setValue(QStringLiteral("load_indi_simulator_telescope"), true);
  defaults().setValue(QStringLiteral("kestorLogLevel"), 1);

  KESTOR kestor(nullptr, nullptr);
  std::vector<std::shared_ptr<RecordedService>> services;
  kestor.makePublishedService = [&](const QString &name, const QString &type, int32_t port) {
    services.push_back(std::make_shared<RecordedService>(name, type, port));
    return services.back();
  };
  kestor.start(true, false);
  // The program's own drivers file lists the simulators; a second file lists the library driver.
  QFile extra(scratch.filePath(QStringLiteral("drivers.xml")));
  ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
  extra.write("<drivers><driver name='test_simulator' description='Test Simulator' version='1'/></drivers>");
  extra.close();
  kestor.readDriversFile(extra.fileName());

  ASSERT_TRUE(kestor.drivers.count(QStringLiteral("indi_simulator_telescope")));
  EXPECT_TRUE(kestor.drivers.at(QStringLiteral("indi_simulator_telescope"))->state);
  EXPECT_TRUE(kestor.drivers.at(QStringLiteral("test_simulator"))->state);
  EXPECT_FALSE(kestor.drivers.count(QStringLiteral("indi_simulator_ccd")));  // not linked: skipped

  ASSERT_TRUE(waitUntil([&] { return !services.empty(); }, 10000));
  const int32_t port = kestor_server_tcp_port;
  EXPECT_GT(port, 0);
  EXPECT_EQ(services[0]->port, port);
  EXPECT_EQ(services[0]->name, appName());
  EXPECT_EQ(services[0]->type, QStringLiteral("_kestor._tcp"));

  EXPECT_TRUE(waitUntil(
      [&] {
        return kestor.devices.count(QStringLiteral("Telescope Simulator")) &&
               kestor.devices.count(QStringLiteral("Test Simulator"));
      },
      15000));
  std::string listed;
  const auto listsBoth = [&] {
    listed = test_support::runCommand("indi_getprop -h 127.0.0.1 -p " + std::to_string(port) + " -t 2 '*.*.*' 2>&1");
    return listed.find("Telescope Simulator.CONNECTION") != std::string::npos &&
           listed.find("Test Simulator.TEST") != std::string::npos;
  };
  EXPECT_TRUE(waitUntil(listsBoth, 15000));
  EXPECT_NE(listed.find("Telescope Simulator.CONNECTION.CONNECT=Off"), std::string::npos) << listed;
  EXPECT_NE(listed.find("Test Simulator.TEST_VALUE.VALUE="), std::string::npos) << listed;
  EXPECT_TRUE(waitUntil([&] { return !kestor.messages.filter(QStringLiteral(" 1 clients connected")).isEmpty(); }));
  EXPECT_TRUE(waitUntil([&] { return kestor.messages.filter(QStringLiteral(" 0 clients connected")).size() >= 2; }));
  EXPECT_EQ(
      kestor.messages.filter(QStringLiteral("KESTOR Service ") + appName() + QStringLiteral(" is ready to publish"))
          .size(),
      1);
  EXPECT_EQ(services.size(), 1u);

  kestor_subprocess_entry *entry = *kestor.drivers.at(QStringLiteral("indi_simulator_telescope"))->subprocess;
  ASSERT_NE(entry, nullptr);
  const pid_t pid = entry->pid;
  kestor.stop();
  EXPECT_TRUE(waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD);
  EXPECT_TRUE(waitUntil([&] { return services[0]->stopped == 1; }));
  EXPECT_FALSE(kestor.kestorService);
  defaults().clear();
}
