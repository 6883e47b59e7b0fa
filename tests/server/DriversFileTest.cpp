// The drivers file of server mode: which drivers are listed, announced, sorted and loaded, with
// the library's loading calls replaced.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/Console.h"
#include "core/Globals.h"
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/server/KESTORDriver.h"

namespace {

struct Loads {
  std::vector<std::string> libraries, executables;
  std::map<std::string, kestor_result> results;  // by name or path; KESTOR_OK when absent
  kestor_result resultFor(const std::string &key) const {
    const auto found = results.find(key);
    return found == results.end() ? kestor_result(KESTOR_OK) : found->second;
  }
};
Loads loads;

kestor_result fakeLoadDriver(const char *name, bool, kestor_driver_entry **) {
  loads.libraries.emplace_back(name);
  return loads.resultFor(name);
}

kestor_result fakeStartSubprocess(const char *path, kestor_subprocess_entry **) {
  loads.executables.emplace_back(path);
  return loads.resultFor(path);
}

class Announced : public KESTORDelegate {
public:
  void driverAdded(const std::shared_ptr<KESTOR::Driver> &driver) override { names.append(driver->name); }
  QStringList names;
};

class DriversFile : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.isValid());
    loads = {};
    QDir().mkpath(scratch.filePath(QStringLiteral("lib")));
    QDir().mkpath(executables());
    qputenv("KESTOR_DRIVER_DIR", scratch.filePath(QStringLiteral("lib")).toUtf8());
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
    setConsoleSink([this](const QByteArray &line) { console.append(QString::fromUtf8(line)); });
    kestor.framework.loadDriver = &fakeLoadDriver;
    kestor.framework.startSubprocess = &fakeStartSubprocess;
    kestor.addDelegate(&announced);
  }
  void TearDown() override {
    setConsoleSink({});
    defaults().clear();
    defaults().sync();
  }

  QString executables() const { return scratch.filePath(QStringLiteral("data/") + appName() + QStringLiteral("/Drivers")); }
  void library(const QString &name) { QFile(scratch.filePath(QStringLiteral("lib/") + name + QStringLiteral(".so"))).open(QIODevice::WriteOnly); }
  void executable(const QString &name) { QFile(executables() + u'/' + name).open(QIODevice::WriteOnly); }
  void element(const QString &name, const QString &description, const QString &version = QStringLiteral("1")) {
    kestor.readDriverElement(QStringLiteral("driver"),
                             {{QStringLiteral("name"), name}, {QStringLiteral("description"), description}, {QStringLiteral("version"), version}});
  }
  // The setting as another reader of the store sees it (the load writes it to disk).
  static QVariant stored(const QString &key) { return QSettings().value(key); }

  QTemporaryDir scratch;
  KESTOR kestor{nullptr, nullptr};
  Announced announced;
  QStringList console;
};

}  // namespace

TEST_F(DriversFile, IncompleteElementsAddNothingAndSayNothing) {
  library(QStringLiteral("x_simulator"));
  kestor.readDriverElement(QStringLiteral("driver"), {{QStringLiteral("name"), QStringLiteral("x_simulator")},
                                                      {QStringLiteral("description"), QStringLiteral("X")}});
  kestor.readDriverElement(QStringLiteral("drivers"), {{QStringLiteral("name"), QStringLiteral("x_simulator")},
                                                       {QStringLiteral("description"), QStringLiteral("X")},
                                                       {QStringLiteral("version"), QStringLiteral("1")}});
  EXPECT_TRUE(kestor.driverNames.isEmpty());
  EXPECT_TRUE(announced.names.isEmpty());
  EXPECT_TRUE(console.isEmpty()) << console.join(u'\n').toStdString();
  EXPECT_TRUE(loads.libraries.empty());
}

TEST_F(DriversFile, ADriverWithoutFilesIsSkippedOnTheConsole) {
  element(QStringLiteral("y"), QStringLiteral("Y"));
  EXPECT_TRUE(kestor.driverNames.isEmpty());
  EXPECT_EQ(console, QStringList{QStringLiteral("Driver y skipped")});
}

TEST_F(DriversFile, AnAgentIsAnnouncedButNeitherListedNorLoaded) {
  library(QStringLiteral("kestor_agent_a"));
  defaults().setValue(QStringLiteral("load_kestor_agent_a"), true);
  element(QStringLiteral("kestor_agent_a"), QStringLiteral("Agent"));
  EXPECT_EQ(announced.names, QStringList{QStringLiteral("kestor_agent_a")});
  EXPECT_TRUE(kestor.driverNames.isEmpty());
  EXPECT_TRUE(kestor.drivers.empty());
  EXPECT_TRUE(loads.libraries.empty());
}

TEST_F(DriversFile, OnlySimulatorLibrariesLoadByDefault) {
  library(QStringLiteral("test_simulator"));
  library(QStringLiteral("plain"));
  executable(QStringLiteral("indi_simulator_telescope"));
  element(QStringLiteral("test_simulator"), QStringLiteral("Test"));
  element(QStringLiteral("plain"), QStringLiteral("Plain"));
  element(QStringLiteral("indi_simulator_telescope"), QStringLiteral("Telescope"));
  EXPECT_EQ(loads.libraries, std::vector<std::string>{"test_simulator"});
  EXPECT_TRUE(loads.executables.empty());
  EXPECT_TRUE(kestor.drivers.at(QStringLiteral("test_simulator"))->state);
  EXPECT_FALSE(kestor.drivers.at(QStringLiteral("plain"))->state);
  EXPECT_EQ(stored(QStringLiteral("load_test_simulator")).toBool(), true);
  EXPECT_FALSE(stored(QStringLiteral("load_plain")).isValid());
  const auto telescope = kestor.drivers.at(QStringLiteral("indi_simulator_telescope"));
  EXPECT_FALSE(telescope->library);
  EXPECT_EQ(telescope->path, executables() + QStringLiteral("/indi_simulator_telescope"));
  EXPECT_EQ(announced.names.size(), 3);
}

TEST_F(DriversFile, SettingsChooseWhatLoadsAndAFailedLoadTurnsItsSettingOff) {
  library(QStringLiteral("broken_simulator"));
  executable(QStringLiteral("indi_x"));
  defaults().setValue(QStringLiteral("load_indi_x"), true);
  const std::string path = (executables() + QStringLiteral("/indi_x")).toStdString();
  loads.results = {{"broken_simulator", KESTOR_NOT_FOUND}, {path, KESTOR_ALREADY}};
  element(QStringLiteral("broken_simulator"), QStringLiteral("Broken"));
  element(QStringLiteral("indi_x"), QStringLiteral("X"));
  EXPECT_FALSE(kestor.drivers.at(QStringLiteral("broken_simulator"))->state);
  EXPECT_EQ(stored(QStringLiteral("load_broken_simulator")).toBool(), false);
  EXPECT_EQ(loads.executables, std::vector<std::string>{path});
  EXPECT_TRUE(kestor.drivers.at(QStringLiteral("indi_x"))->state);  // 6: already running counts as started
}

TEST_F(DriversFile, DriversAreSortedByDescription) {
  library(QStringLiteral("a"));
  executable(QStringLiteral("b"));
  library(QStringLiteral("c"));
  element(QStringLiteral("b"), QStringLiteral("Telescope"));
  element(QStringLiteral("a"), QStringLiteral("Telescope"));
  element(QStringLiteral("c"), QStringLiteral("Alpha"), QStringLiteral("1"));
  element(QStringLiteral("c"), QStringLiteral("Alpha"), QStringLiteral("2"));
  EXPECT_EQ(kestor.driverNames, (QStringList{QStringLiteral("c"), QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")}));
  EXPECT_EQ(kestor.drivers.at(QStringLiteral("b"))->description(), QStringLiteral("Telescope [INDI]"));
  EXPECT_EQ(kestor.drivers.at(QStringLiteral("c"))->version, QStringLiteral("2"));
}

TEST_F(DriversFile, TheFileIsReadAtAnyDepthUpToAnError) {
  library(QStringLiteral("one"));
  library(QStringLiteral("two"));
  library(QStringLiteral("three"));
  QFile file(scratch.filePath(QStringLiteral("drivers.xml")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<drivers><driver name='one' description='1' version='1'/>"
             "<group><driver name='two' description='2' version='1' extra='x'/></group>"
             "<broken <driver name='three' description='3' version='1'/></drivers>");
  file.close();
  kestor.readDriversFile(file.fileName());
  EXPECT_EQ(kestor.driverNames, (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
  kestor.readDriversFile(scratch.filePath(QStringLiteral("none.xml")));
  EXPECT_EQ(kestor.driverNames.size(), 2);
}
