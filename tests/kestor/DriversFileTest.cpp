// The drivers file of server mode: which drivers are listed, announced, sorted and loaded, with
// the library's loading calls replaced.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ConsoleCapture.h"
#include "core/Globals.h"
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/server/KESTORDriver.h"

namespace {

struct Loads {
  std::vector<std::string> started;              // library names and executable paths
  std::map<std::string, kestor_result> results;  // by name or path; KESTOR_OK when absent
  kestor_result start(const std::string &key) {
    started.push_back(key);
    return results.count(key) ? results.at(key) : kestor_result(KESTOR_OK);
  }
} loads;

class DriversFile : public ::testing::Test, public KESTORDelegate {
protected:
  void SetUp() override {
    loads = {};
    QDir().mkpath(scratch.filePath(QStringLiteral("lib")));
    QDir().mkpath(executables());
    qputenv("KESTOR_DRIVER_DIR", scratch.filePath(QStringLiteral("lib")).toUtf8());
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
    kestor.framework.loadDriver = [](const char *name, bool, kestor_driver_entry **) { return loads.start(name); };
    kestor.framework.startSubprocess = [](const char *path, kestor_subprocess_entry **) { return loads.start(path); };
    kestor.addDelegate(this);
  }
  void TearDown() override {
    defaults().clear();
    defaults().sync();
  }
  void driverAdded(const std::shared_ptr<KESTOR::Driver> &driver) override { announced.append(driver->name); }

  QString executables() const {
    return scratch.filePath(QStringLiteral("data/") + appName() + QStringLiteral("/Drivers"));
  }
  // Makes the driver's file: a library, or an executable when `library` is false.
  void file(const QString &name, bool library = true) {
    QFile(library ? scratch.filePath(QStringLiteral("lib/") + name + QStringLiteral(".so"))
                  : executables() + u'/' + name)
        .open(QIODevice::WriteOnly);
  }
  void element(const QString &name, const QString &description, const QString &version = QStringLiteral("1")) {
    kestor.readDriverElement(QStringLiteral("driver"), {{QStringLiteral("name"), name},
                                                        {QStringLiteral("description"), description},
                                                        {QStringLiteral("version"), version}});
  }
  // The setting as another reader of the store sees it (the load writes it to disk).
  static QVariant stored(const QString &key) { return QSettings().value(key); }

  QTemporaryDir scratch;
  KESTOR kestor{nullptr, nullptr};
  QStringList announced;
  ConsoleCapture console;
};

}  // namespace

TEST_F(DriversFile, IncompleteElementsAndAgentsAreNotListedAndDriversWithoutFilesAreSkipped) {
  file(QStringLiteral("x_simulator"));
  file(QStringLiteral("kestor_agent_a"));
  kestor.readDriverElement(QStringLiteral("driver"), {{QStringLiteral("name"), QStringLiteral("x_simulator")},
                                                      {QStringLiteral("description"), QStringLiteral("X")}});
  kestor.readDriverElement(QStringLiteral("drivers"), {{QStringLiteral("name"), QStringLiteral("x_simulator")},
                                                       {QStringLiteral("description"), QStringLiteral("X")},
                                                       {QStringLiteral("version"), QStringLiteral("1")}});
  EXPECT_TRUE(console.lines.isEmpty()) << console.lines.join(u'\n').toStdString();
  element(QStringLiteral("y"), QStringLiteral("Y"));
  EXPECT_EQ(console.lines, QStringList{QStringLiteral("Driver y skipped")});
  defaults().setValue(QStringLiteral("load_kestor_agent_a"), true);
  element(QStringLiteral("kestor_agent_a"), QStringLiteral("Agent"));  // announced only
  EXPECT_EQ(announced, QStringList{QStringLiteral("kestor_agent_a")});
  EXPECT_TRUE(kestor.driverNames.isEmpty());
  EXPECT_TRUE(kestor.drivers.empty());
  EXPECT_TRUE(loads.started.empty());
}

// Loading the simulators as the settings say is checked end to end; here what fails.
TEST_F(DriversFile, AFailedLoadTurnsItsSettingOffAndARunningExecutableCountsAsStarted) {
  file(QStringLiteral("broken_simulator"));
  file(QStringLiteral("plain"));
  file(QStringLiteral("indi_x"), false);
  defaults().setValue(QStringLiteral("load_indi_x"), true);
  const std::string path = (executables() + QStringLiteral("/indi_x")).toStdString();
  loads.results = {{"broken_simulator", KESTOR_NOT_FOUND}, {path, KESTOR_ALREADY}};
  for (const char *name : {"broken_simulator", "plain", "indi_x"})
    element(QString::fromLatin1(name), QStringLiteral("D"));
  EXPECT_EQ(loads.started, (std::vector<std::string>{"broken_simulator", path}));
  EXPECT_FALSE(kestor.drivers.at(QStringLiteral("broken_simulator"))->state);
  EXPECT_FALSE(kestor.drivers.at(QStringLiteral("plain"))->state);
  EXPECT_TRUE(kestor.drivers.at(QStringLiteral("indi_x"))->state);
  EXPECT_EQ(stored(QStringLiteral("load_broken_simulator")).toBool(), false);
  EXPECT_FALSE(stored(QStringLiteral("load_plain")).isValid());
  EXPECT_EQ(announced.size(), 3);
}

TEST_F(DriversFile, TheFileIsReadAtAnyDepthUpToAnErrorAndSortedByDescription) {
  for (const char *name : {"one", "two", "three", "four"}) file(QString::fromLatin1(name));
  file(QStringLiteral("five"), false);
  QFile drivers(scratch.filePath(QStringLiteral("drivers.xml")));
  ASSERT_TRUE(drivers.open(QIODevice::WriteOnly));
  drivers.write(
      "<drivers><driver name='five' description='Telescope' version='1'/>"
      "<group><driver name='one' description='Telescope' version='1' extra='x'/></group>"
      "<driver name='two' description='Alpha' version='1'/><driver name='two' description='Alpha' version='2'/>"
      "<broken <driver name='three' description='3' version='1'/></drivers>");
  drivers.close();
  kestor.readDriversFile(drivers.fileName());
  kestor.readDriversFile(scratch.filePath(QStringLiteral("none.xml")));
  EXPECT_EQ(kestor.driverNames,
            (QStringList{QStringLiteral("two"), QStringLiteral("two"), QStringLiteral("one"), QStringLiteral("five")}));
  EXPECT_EQ(kestor.drivers.at(QStringLiteral("five"))->description(), QStringLiteral("Telescope [INDI]"));
  EXPECT_EQ(kestor.drivers.at(QStringLiteral("two"))->version, QStringLiteral("2"));
}
