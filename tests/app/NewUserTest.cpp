// The program as a new user meets it, on a real X display. ./run.sh on a free port opens the main
// window and the preferences sheet on the simulators; quit. A session of the program then adds a
// server typed into the preferences (another indiserver with the simulators), connects the CCD and
// shows a 1 s exposure with BLOB transfer on. ./run.sh again opens no sheet and connects both
// servers. A screen grab of every step is kept in the build folder and checked not to be blank.
#include "EventLoopWait.h"
#include "OutlineClicks.h"
#include "app/MainInterface.h"
#include "app/ServicesModel.h"
#include "core/Globals.h"
#include "kestor/Model.h"
#include "support/Command.h"
#include "support/FreePort.h"
#include "support/IndiServer.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"

#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString CCD = QStringLiteral("CCD Simulator");
const QString MAIN_CONTROL = QStringLiteral("Main Control");

// Whether a window of that title is on the screen.
bool viewable(const std::string &title) {
  return test_support::runCommand("xwininfo -name '" + title + "' 2>/dev/null").find("IsViewable") != std::string::npos;
}

// Whether a connection to that port of this machine is established.
bool connectedTo(int port) {
  return !test_support::runCommand("ss -Htn state established '( dport = :" + std::to_string(port) + " )'").empty();
}

class NewUser : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(typed.start()) << typed.log();
    ASSERT_TRUE(QDir().mkpath(temporary()));
  }
  void TearDown() override {
    if (run.state() != QProcess::NotRunning) quitRunScript();
  }

  // The folder run.sh is given for its temporary files.
  QString temporary() const { return qEnvironmentVariable("HOME") + QStringLiteral("/tmp"); }

  // ./run.sh with the simulators on a free port, until the main window shows.
  void startRunScript() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KESTOR_BUILD_DIR"), QStringLiteral(KESTOR_BUILD_DIR));
    environment.insert(QStringLiteral("TMPDIR"), temporary());
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(QStringLiteral(RUN_SCRIPT), {QString::number(simulatorsPort)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewable("KESTOR Panel"); }, 120000));
  }
  // The program quits as on the system's request; run.sh ends well and leaves nothing behind.
  void quitRunScript() {
    const std::string program =
        test_support::runCommand("pgrep -x -P " + std::to_string(run.processId()) + " kestor-panel");
    ASSERT_FALSE(program.empty());
    ::kill(std::stoi(program), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(15000));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(
        QDir(temporary()).entryList({QStringLiteral("kestor-run.*")}, QDir::AllEntries | QDir::Hidden).isEmpty());
  }

  // Grabs the whole screen into <step>.png in the build folder; it must show more than a few
  // colours.
  void screenshot(const QString &step) {
    QTest::qWait(300);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral(SCREENSHOT_FOLDER "/new-user-") + step + QStringLiteral(".png")));
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
      for (int x = 0; x < shot.width(); x += 3) colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 16) << step.toStdString() << " looks blank";
  }
  void clickOutline(const QStringList &path) {
    QModelIndex index;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (index = outlineIndex(controller(), path)).isValid(); }, 15000))
        << path.join('/').toStdString();
    clickRow(interface->panelUi.propertiesOutlineView, index);
  }
  void showGroup(const QString &device, const QString &group) {
    if (!interface->panelUi.propertiesOutlineView->isExpanded(outlineIndex(controller(), {device})))
      clickOutline({device});
    clickOutline({device, group});
    ASSERT_TRUE(controller().selectedGroup && controller().selectedGroup->name == group);
  }
  PropertyWidget *widget(const QString &device, const QString &property) {
    PropertyWidget *found = nullptr;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (found = controller().widgetNamed(property + " @ " + device)) != nullptr; }, 15000))
        << property.toStdString();
    return found;
  }
  void connectDevice(const QString &device) {
    showGroup(device, MAIN_CONTROL);
    QTest::mouseClick(
        widget(device, QStringLiteral("CONNECTION"))->findChild<KButton *>(QStringLiteral("switch:CONNECTED")),
        Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return controller().cellView(kestor().devices.at(device)).image == "NSStatusAvailable"; }, 15000));
  }
  KESTOR &kestor() const { return *interface->kestor; }
  CtrlPanelController &controller() const { return interface->ctrlPanelController; }

  QProcess run;  // ./run.sh
  const int simulatorsPort = test_support::freeLoopbackPort();
  test_support::IndiServer typed{{"indi_simulator_telescope", "indi_simulator_ccd", "indi_simulator_guide"}};
  std::unique_ptr<MainInterface> interface;
};

TEST_F(NewUser, RunsConnectsExposesSlewsAndKeepsItsSettings) {
  // ./run.sh the first time: the main window and the preferences sheet.
  startRunScript();
  ASSERT_TRUE(QTest::qWaitFor([] { return viewable("Preferences"); }, 10000));
  screenshot(QStringLiteral("1-first-run"));
  quitRunScript();
  defaults().sync();

  // A session of the program, launched as its entry does it; the panel sits beside the main window.
  interface = std::make_unique<MainInterface>();
  interface->delegate.applicationWillFinishLaunching();
  interface->window->setGeometry(10, 30, 760, 640);
  interface->window->show();
  interface->panel->setGeometry(790, 30, 880, 900);
  controller().showPanel();
  QMetaObject::invokeMethod(&interface->delegate, &ApplicationDelegate::applicationDidFinishLaunching,
                            Qt::QueuedConnection);

  // The server run.sh added is restored (its simulators have gone); another one is typed in, and
  // BLOB transfer switched on.
  ASSERT_TRUE(QTest::qWaitFor([&] { return interface->servicesController.model()->rowCount() == 1; }, 5000));
  EXPECT_FALSE(interface->preferencePanel->isVisible()) << "only the first launch shows the sheet";
  interface->mainUi.preferencesAction->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(interface->preferencePanel));
  QTest::keyClicks(interface->preferencesUi.hostnameField, QStringLiteral("127.0.0.1"));
  QTest::keyClicks(interface->preferencesUi.portField, QString::number(typed.port()));
  QTest::mouseClick(interface->preferencesUi.addButton, Qt::LeftButton);
  QCheckBox *blobs = interface->preferencesUi.enableBLOBTransferButton;
  QTest::mouseClick(blobs, Qt::LeftButton, {}, QPoint(8, blobs->height() / 2));
  ASSERT_TRUE(blobs->isChecked());
  screenshot(QStringLiteral("2-server-typed"));
  QTest::mouseClick(interface->preferencesUi.buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return kestor().configuredServers.size() == 1; }, 10000));
  // Without a window manager nothing takes the focus back when the sheet closes: the program turns
  // inactive and the control panel hides. The user brings it back from the Window menu.
  QTest::qWait(600);
  if (!interface->panel->isVisible()) interface->mainUi.panelAction->trigger();

  // The outline fills with the simulators; the CCD is connected from it.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return childTexts(controller()) == QStringList{"CCD Simulator", "Guide Simulator", "Telescope Simulator"};
      },
      15000));
  connectDevice(CCD);
  screenshot(QStringLiteral("3-ccd-connected"));

  // A 1 s exposure, shown in the CCD's image widget.
  PropertyWidget *exposure = widget(CCD, QStringLiteral("CCD_EXPOSURE"));
  auto *seconds = exposure->findChild<QLineEdit *>(QStringLiteral("target:CCD_EXPOSURE_VALUE"));
  ASSERT_NE(seconds, nullptr);
  seconds->selectAll();
  QTest::keyClicks(seconds, QStringLiteral("1"));
  QTest::mouseClick(exposure->findChild<QAbstractButton *>(QStringLiteral("set")), Qt::LeftButton);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return kestor().devices.at(CCD)->properties.count(QStringLiteral("CCD1")) > 0; }, 10000));
  showGroup(CCD, kestor().devices.at(CCD)->properties.at(QStringLiteral("CCD1"))->group);
  auto *view = widget(CCD, QStringLiteral("CCD1"))->findChild<ImageView *>(QStringLiteral("value:CCD1"));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->pixmap().isNull(); }, 30000));
  screenshot(QStringLiteral("4-exposure"));

  kestor().disconnectServersExcept([](const TypedServer &) { return false; });
  (void)QTest::qWaitFor([&] { return kestor().devices.empty(); }, 5000);
  kestor_stop();

  // ./run.sh again: no sheet, and the simulators' server and the typed one connected.
  startRunScript();
  ASSERT_TRUE(QTest::qWaitFor([&] { return connectedTo(simulatorsPort) && connectedTo(typed.port()); }, 15000));
  EXPECT_FALSE(viewable("Preferences"));
  EXPECT_EQ(QSettings(defaults().fileName(), QSettings::IniFormat).value("servers").toList().size(), 2)
      << "listed once each";
  screenshot(QStringLiteral("5-second-run"));
  quitRunScript();
}

}  // namespace
