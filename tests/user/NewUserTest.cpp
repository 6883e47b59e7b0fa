// The program as a new user meets it, on a real X display: the simulators' server configured
// the way run.sh does it, the first launch with its preferences sheet, the telescope and the
// CCD connected from the control panel, BLOB transfer switched on, a 1 s exposure shown, and
// the mount slewed to a star chosen on its map. A screen grab of every step is kept in the
// build folder and checked not to be blank.
#include "EventLoopWait.h"
#include "MapClicks.h"
#include "OutlineClicks.h"
#include "app/MainInterface.h"
#include "app/ServicesModel.h"
#include "core/Globals.h"
#include "kestor/Model.h"
#include "skymap/MapView.h"
#include "support/IndiServer.h"
#include "widgets/FieldStyle.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

const QString TELESCOPE = QStringLiteral("Telescope Simulator");
const QString CCD = QStringLiteral("CCD Simulator");
const QString MAIN_CONTROL = QStringLiteral("Main Control");

// Receives the documentation page instead of a browser.
class PageOpener : public QObject {
  Q_OBJECT
public slots:
  void open(const QUrl &url) { opened << url; }

public:
  QList<QUrl> opened;
};

class NewUser : public ::testing::Test {
protected:
  void SetUp() override {
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &pages, "open");
    ASSERT_TRUE(server.start()) << server.log();
    // As run.sh: the simulators' server written into the settings with the script.
    QProcess configure;
    configure.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KESTOR_BUILD_DIR"), QStringLiteral(KESTOR_BUILD_DIR));
    configure.setProcessEnvironment(environment);
    configure.start(QStringLiteral(CONFIGURE_SERVERS_SCRIPT),
                    {QStringLiteral("127.0.0.1"), QString::number(server.port())});
    ASSERT_TRUE(configure.waitForFinished(10000));
    ASSERT_EQ(configure.exitCode(), 0);
    defaults().sync();
  }
  void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

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

  // Without a window manager nothing takes the focus back when a sheet closes: the program turns
  // inactive and the control panel hides, as it does on deactivation. The user then brings it
  // back from the Window menu.
  void bringPanelBack() {
    QTest::qWait(600);
    if (!interface->panel->isVisible()) interface->mainUi.panelAction->trigger();
    ASSERT_TRUE(interface->panel->isVisible());
  }

  void clickOutline(const QStringList &path) {
    QModelIndex index;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (index = outlineIndex(controller(), path)).isValid(); }, 15000))
        << path.join('/').toStdString();
    clickRow(interface->panelUi.propertiesOutlineView, index);
  }
  void showGroup(const QString &device, const QString &group) {
    if (!interface->panelUi.propertiesOutlineView->isExpanded(outlineIndex(controller(), {device}))) clickOutline({device});
    clickOutline({device, group});
    ASSERT_TRUE(controller().selectedGroup);
    ASSERT_EQ(controller().selectedGroup->name, group);
  }
  PropertyWidget *widget(const QString &device, const QString &property) {
    PropertyWidget *found = nullptr;
    (void)QTest::qWaitFor([&] { return (found = controller().widgetNamed(property + " @ " + device)) != nullptr; }, 15000);
    return found;
  }
  void connectDevice(const QString &device) {
    showGroup(device, MAIN_CONTROL);
    PropertyWidget *connection = widget(device, QStringLiteral("CONNECTION"));
    ASSERT_NE(connection, nullptr);
    auto *button = connection->findChild<KButton *>(QStringLiteral("switch:CONNECTED"));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller().cellView(kestor().devices.at(device)).image == "NSStatusAvailable"; }, 15000));
  }
  void typeAndSet(PropertyWidget *target, const QString &item, const QString &text) {
    auto *field = target->findChild<QLineEdit *>(QStringLiteral("target:") + item);
    ASSERT_NE(field, nullptr);
    QTest::mouseClick(field, Qt::LeftButton);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
    QTest::mouseClick(target->findChild<QAbstractButton *>(QStringLiteral("set")), Qt::LeftButton);
  }

  KESTOR &kestor() const { return *interface->kestor; }
  CtrlPanelController &controller() const { return interface->ctrlPanelController; }

  PageOpener pages;
  test_support::IndiServer server{{"indi_simulator_telescope", "indi_simulator_ccd", "indi_simulator_guide"}};
  std::unique_ptr<MainInterface> interface;
};

TEST_F(NewUser, ConnectsExposesAndSlewsFromTheWindows) {
  // Launch, as the program's entry does it; the panel sits beside the main window.
  interface = std::make_unique<MainInterface>();
  interface->delegate.applicationWillFinishLaunching();
  interface->window->setGeometry(10, 30, 760, 640);
  interface->window->show();
  interface->panel->setGeometry(790, 30, 880, 900);
  controller().showPanel();
  QMetaObject::invokeMethod(&interface->delegate, &ApplicationDelegate::applicationDidFinishLaunching, Qt::QueuedConnection);

  // The first launch shows the documentation page and the preferences with the configured server.
  ASSERT_TRUE(QTest::qWaitFor([&] { return interface->preferencePanel->isVisible(); }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return kestor().configuredServers.size() == 1; }, 10000));
  EXPECT_EQ(pages.opened.size(), 1);
  ASSERT_EQ(interface->servicesController.model()->rowCount(), 1);
  EXPECT_EQ(interface->servicesController.model()->index(0, 0).data().toString(),
            QStringLiteral("127.0.0.1 (%1)").arg(server.port()));
  screenshot(QStringLiteral("1-first-launch"));
  QTest::mouseClick(interface->preferencesUi.buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
  ASSERT_FALSE(interface->preferencePanel->isVisible());
  bringPanelBack();

  // The outline fills with the simulators; the telescope and the CCD are connected from it.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return childTexts(controller()) == QStringList{"CCD Simulator", "Guide Simulator", "Telescope Simulator"}; },
      15000));
  connectDevice(TELESCOPE);
  screenshot(QStringLiteral("2-telescope-connected"));
  connectDevice(CCD);

  // BLOB transfer on in the preferences, then a 1 s exposure, shown in the CCD's image widget.
  interface->mainUi.preferencesAction->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(interface->preferencePanel));
  QCheckBox *blobs = interface->preferencesUi.enableBLOBTransferButton;
  QTest::mouseClick(blobs, Qt::LeftButton, {}, QPoint(8, blobs->height() / 2));
  ASSERT_TRUE(blobs->isChecked());
  QTest::mouseClick(interface->preferencesUi.buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
  QTest::qWait(1000);
  bringPanelBack();
  PropertyWidget *exposure = widget(CCD, QStringLiteral("CCD_EXPOSURE"));
  ASSERT_NE(exposure, nullptr);
  typeAndSet(exposure, QStringLiteral("CCD_EXPOSURE_VALUE"), QStringLiteral("1"));
  showGroup(CCD, kestor().devices.at(CCD)->properties.at(QStringLiteral("CCD1"))->group);
  PropertyWidget *picture = widget(CCD, QStringLiteral("CCD1"));
  ASSERT_NE(picture, nullptr);
  auto *view = picture->findChild<ImageView *>(QStringLiteral("value:CCD1"));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->pixmap().isNull(); }, 30000));
  screenshot(QStringLiteral("3-exposure"));

  // The mount's map: a bright star clicked becomes the target; Set slews the mount there.
  showGroup(TELESCOPE, MAIN_CONTROL);
  PropertyWidget *mount = widget(TELESCOPE, QStringLiteral("MOUNT_EQUATORIAL_COORDINATES"));
  ASSERT_NE(mount, nullptr);
  ASSERT_NE(mount->mapView, nullptr);
  MapView *map = mount->mapView;
  ASSERT_TRUE(QTest::qWaitFor([&] { return map->position() != nullptr; }, 5000));
  ASSERT_NE(clickBrightStar(map), nullptr);
  ASSERT_NE(map->selection(), nullptr);
  EXPECT_TRUE(FieldStyle::isEdited(mount->targets.at(QStringLiteral("RA"))));
  const double targetDec = map->selection()->dec;
  screenshot(QStringLiteral("4-target-chosen"));
  QTest::mouseClick(mount->findChild<QAbstractButton *>(QStringLiteral("set")), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(map->position()->j2kDec - targetDec) < 1; }, 40000))
      << map->position()->j2kDec << " " << targetDec;
  screenshot(QStringLiteral("5-slewed"));

  for (kestor_server_entry *entry : kestor().configuredServers) kestor().framework.disconnectServer(entry);
  (void)QTest::qWaitFor([&] { return kestor().devices.empty(); }, 5000);
  kestor_stop();
}

}  // namespace

#include "NewUserTest.moc"
