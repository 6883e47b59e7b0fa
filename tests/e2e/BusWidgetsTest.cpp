// Property widgets against real bus peers: indiserver with the telescope, CCD and focuser
// simulators and our own guider statistics driver. A small stand-in for the control-panel window makes a
// widget for every property defined and refreshes it on every update.
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include "MapClicks.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "image/Image.h"
#include "image/ImageRepRegistry.h"
#include "kestor/Model.h"
#include "skymap/MapView.h"
#include "support/IndiServer.h"
#include "views/ControlPanelView.h"
#include "views/DashboardView.h"
#include "widgets/GraphView.h"
#include "widgets/FieldStyle.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"

namespace {

class TestPanel : public KESTORDelegate {
public:
  TestPanel(KESTOR *kestor, ControlPanelView *panel, DashboardView *dashboard)
      : kestor(kestor), panel(panel), dashboard(dashboard) {}

  void propertyDefined(const std::shared_ptr<KESTOR::Property> &property) override {
    const QString name = property->name + QStringLiteral(" @ ") + property->device->name;
    auto *widget = new PropertyWidget(panel, kestor, name, dashboard);
    widget->build(property, WidgetGeometry::Board::None);
    panel->addWidget(widget);
    panel->layoutWidgets();
  }
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &property) override {
    if (PropertyWidget *w = widget(property->device->name, property->name)) {
      w->update(property);
    }
  }
  PropertyWidget *widget(const QString &device, const QString &property) const {
    return panel->findChild<PropertyWidget *>(property + QStringLiteral(" @ ") + device);
  }

private:
  KESTOR *kestor;
  ControlPanelView *panel;
  DashboardView *dashboard;
};

class BusWidgets : public testing::Test {
protected:
  void SetUp() override {
    server = std::make_unique<test_support::IndiServer>(std::vector<std::string>{
        "indi_simulator_telescope", "indi_simulator_ccd", "indi_simulator_focus", GUIDER_DRIVER});
    ASSERT_TRUE(server->start()) << server->log();
    window.resize(500, 900);
    auto *scroll = new QScrollArea(&window);
    scroll->setGeometry(0, 0, 500, 900);
    panel = new ControlPanelView;
    scroll->setWidget(panel);
    dashboard = new DashboardView(&window);
    dashboard->hide();
    window.show();
    kestor = std::make_unique<KESTOR>(nullptr, nullptr);
    testPanel = std::make_unique<TestPanel>(kestor.get(), panel, dashboard);
    kestor->addDelegate(testPanel.get());
    ImageRepRegistry::registerImageRepClasses();  // as the program does before its windows open
    kestor->start(false, false);
    const int port = server->port();
    KESTOR *client = kestor.get();
    asyncGlobal([client, port] { client->connect(QStringLiteral("127.0.0.1"), port); });
  }

  void TearDown() override {
    KESTOR::stop();  // as the program does at quit: no record is written after the test
    server->stop();
  }

  PropertyWidget *waitForWidget(const char *device, const char *property, int ms = 10000) {
    PropertyWidget *found = nullptr;
    const bool appeared = QTest::qWaitFor(
        [&] { return (found = testPanel->widget(QLatin1String(device), QLatin1String(property))) != nullptr; }, ms);
    EXPECT_TRUE(appeared) << device << "." << property;
    return found;
  }

  // The server's value of one item, read by indi_getprop.
  QString serverValue(const QString &what) {
    QProcess getprop;
    getprop.start(QStringLiteral("indi_getprop"), {QStringLiteral("-1"), QStringLiteral("-t"), QStringLiteral("2"),
                                                   QStringLiteral("-p"), QString::number(server->port()), what});
    getprop.waitForFinished(5000);
    return QString::fromUtf8(getprop.readAllStandardOutput()).trimmed();
  }

  bool waitForServerValue(const QString &what, const std::function<bool(double)> &accept, int ms = 5000) {
    return QTest::qWaitFor([&] { return accept(serverValue(what).toDouble()); }, ms);
  }

  // Connects the device with a click on its CONNECTED switch.
  void connectDevice(const char *device) {
    PropertyWidget *connection = waitForWidget(device, "CONNECTION");
    ASSERT_NE(connection, nullptr);
    auto *button = connection->findChild<KButton *>(QStringLiteral("switch:CONNECTED"));
    ASSERT_NE(button, nullptr);
    if (button->state() != KButton::ON) {
      QTest::mouseClick(button, Qt::LeftButton);
    }
    // The click turns the button on at once; the device's answer makes it the switch that is on
    // in its one-of-many group, which takes no clicks.
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->state() == KButton::ON && !button->isEnabled(); }, 10000));
    const auto &devices = kestor->devices;
    EXPECT_TRUE(devices.count(QLatin1String(device)) && devices.at(QLatin1String(device))->connected);
  }

  void typeAndSet(PropertyWidget *widget, const QString &item, const QString &text) {
    auto *target = widget->findChild<QLineEdit *>(QStringLiteral("target:") + item);
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton);
    target->selectAll();
    QTest::keyClick(target, Qt::Key_Backspace);
    QTest::keyClicks(target, text);
    EXPECT_TRUE(FieldStyle::isEdited(target));
    QTest::mouseClick(widget->findChild<QAbstractButton *>(QStringLiteral("set")), Qt::LeftButton);
    EXPECT_FALSE(FieldStyle::isEdited(target));
  }

  std::unique_ptr<test_support::IndiServer> server;
  QWidget window;
  ControlPanelView *panel = nullptr;
  DashboardView *dashboard = nullptr;
  std::unique_ptr<KESTOR> kestor;
  std::unique_ptr<TestPanel> testPanel;
};

TEST_F(BusWidgets, NumberSetReachesTheServerAndComesBack) {
  PropertyWidget *widget = waitForWidget("CCD Simulator", "POLLING_PERIOD");
  ASSERT_NE(widget, nullptr);
  typeAndSet(widget, QStringLiteral("PERIOD_MS"), QStringLiteral("500"));
  EXPECT_TRUE(
      waitForServerValue(QStringLiteral("CCD Simulator.POLLING_PERIOD.PERIOD_MS"), [](double v) { return v == 500; }));
  auto *value = widget->findChild<QLineEdit *>(QStringLiteral("value:PERIOD_MS"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return value->text() == QStringLiteral("500"); }, 5000))
      << value->text().toStdString();
}

TEST_F(BusWidgets, SexagesimalTargetReachesTheServerAsDegrees) {
  connectDevice("Telescope Simulator");
  PropertyWidget *site = waitForWidget("Telescope Simulator", "GEOGRAPHIC_COORDINATES");
  ASSERT_NE(site, nullptr);
  typeAndSet(site, QStringLiteral("LATITUDE"), QStringLiteral("45:30:00"));
  EXPECT_TRUE(waitForServerValue(QStringLiteral("Telescope Simulator.GEOGRAPHIC_COORD.LAT"),
                                 [](double v) { return std::abs(v - 45.5) < 1e-9; }));
  auto *value = site->findChild<QLineEdit *>(QStringLiteral("value:LATITUDE"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return value->text() == QStringLiteral("45:30:00.0"); }, 5000))
      << value->text().toStdString();
}

TEST_F(BusWidgets, MountMapFollowsTheMountAndTakesObjectsFromTheMap) {
  connectDevice("Telescope Simulator");
  PropertyWidget *mount = waitForWidget("Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES");
  ASSERT_NE(mount, nullptr);
  ASSERT_NE(mount->mapView, nullptr);
  MapView *map = mount->mapView;
  ASSERT_TRUE(QTest::qWaitFor([&] { return map->position() != nullptr; }, 3000));
  const MapEntryPtr first = map->position();

  // A star clicked on the map fills the targets in orange; Set sends the mount there.
  const MapEntryPtr star = clickBrightStar(map);
  ASSERT_NE(star, nullptr);
  ASSERT_NE(map->selection(), nullptr);
  EXPECT_EQ(mount->entryNameLabel->text(),
            map->selection()->name.value_or(QStringLiteral("HIP") + QString::number(map->selection()->object.id)));
  EXPECT_TRUE(FieldStyle::isEdited(mount->targets.at(QStringLiteral("RA"))));
  EXPECT_TRUE(FieldStyle::isEdited(mount->targets.at(QStringLiteral("DEC"))));
  const double targetDec = map->selection()->dec;
  QTest::mouseClick(mount->findChild<QAbstractButton *>(QStringLiteral("set")), Qt::LeftButton);
  // The marker follows the slew.
  EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(map->position()->object.j2kDec - targetDec) < 1; }, 30000))
      << map->position()->object.j2kDec << " " << targetDec;
  EXPECT_NE(map->position(), first);
}

TEST_F(BusWidgets, CameraExposureAppearsInTheBLOBWidget) {
  connectDevice("CCD Simulator");
  PropertyWidget *picture = waitForWidget("CCD Simulator", "CCD1");
  ASSERT_NE(picture, nullptr);
  kestor->enableBLOB(picture->kproperty, true);
  PropertyWidget *exposure = waitForWidget("CCD Simulator", "CCD_EXPOSURE");
  ASSERT_NE(exposure, nullptr);
  typeAndSet(exposure, QStringLiteral("CCD_EXPOSURE_VALUE"), QStringLiteral("1"));
  auto *view = picture->findChild<ImageView *>(QStringLiteral("value:CCD1"));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->pixmap().isNull(); }, 30000));
  // The simulator's frame (1280 x 1024, 16 bits), decoded once and kept by the item, stretched
  // at the size that fits the view.
  auto *frame = static_cast<KESTOR::BLOBItem *>(picture->kproperty->items.begin()->second.get());
  const std::shared_ptr<Image> image = frame->cachedImage;
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(QSize(static_cast<int>(image->width()), static_cast<int>(image->height())), QSize(1280, 1024));
  EXPECT_EQ(view->pixmap().size(), QSize(375, 300));
  EXPECT_EQ(view->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
            image->rendering(image->renderingPoints(), image->highlightsOverexposure(), QSize(375, 300)));

  // Set again without touching the field: the target is still 1 s, and a second frame comes.
  QAbstractButton *set = exposure->findChild<QAbstractButton *>(QStringLiteral("set"));
  QTest::mouseClick(set, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->cachedImage && frame->cachedImage != image; }, 30000));
  EXPECT_FALSE(kestor->messages.join(u'\n').contains(QStringLiteral("out of bounds")))
      << kestor->messages.join(u'\n').toStdString();

  // With compression on, the frames come fpack'ed and their preview appears as well.
  PropertyWidget *compression = waitForWidget("CCD Simulator", "CCD_COMPRESSION");
  ASSERT_NE(compression, nullptr);
  auto *enabled = compression->findChild<KButton *>(QStringLiteral("switch:INDI_ENABLED"));
  QTest::mouseClick(enabled, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return enabled->state() == KButton::ON && !enabled->isEnabled(); }, 10000));
  const qint64 shown = view->pixmap().cacheKey();
  QTest::mouseClick(set, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->format() == QStringLiteral(".fits.fz"); }, 30000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->pixmap().cacheKey() != shown; }, 10000));
  ASSERT_NE(frame->cachedImage, nullptr);
  EXPECT_EQ(frame->cachedImage->width(), 1280) << frame->cachedImage->failureReason().toStdString();
}

TEST_F(BusWidgets, FocuserKeepsTheTypedTargetWhileItMoves) {
  connectDevice("Focuser Simulator");
  PropertyWidget *focus = waitForWidget("Focuser Simulator", "ABS_FOCUS_POSITION");
  ASSERT_NE(focus, nullptr);
  typeAndSet(focus, QStringLiteral("FOCUS_ABSOLUTE_POSITION"), QStringLiteral("30000"));
  auto *value = focus->findChild<QLineEdit *>(QStringLiteral("value:FOCUS_ABSOLUTE_POSITION"));
  auto *target = focus->findChild<QLineEdit *>(QStringLiteral("target:FOCUS_ABSOLUTE_POSITION"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return value->text() == QStringLiteral("30000"); }, 5000));
  // Moved by another client: the value follows, the target stays as typed here.
  QProcess::execute(QStringLiteral("indi_setprop"),
                    {QStringLiteral("-p"), QString::number(server->port()),
                     QStringLiteral("Focuser Simulator.ABS_FOCUS_POSITION.FOCUS_ABSOLUTE_POSITION=60000")});
  EXPECT_TRUE(QTest::qWaitFor([&] { return value->text() == QStringLiteral("60000"); }, 5000))
      << value->text().toStdString();
  EXPECT_EQ(target->text(), QStringLiteral("30000"));
}

TEST_F(BusWidgets, GuiderStatisticsDrawTheGraph) {
  PropertyWidget *stats = waitForWidget("Guider Stats Simulator", "AGENT_GUIDER_STATS");
  PropertyWidget *publish = waitForWidget("Guider Stats Simulator", "GUIDER_STATS_PUBLISH");
  ASSERT_TRUE(stats && publish);
  ASSERT_NE(stats->graphView, nullptr);
  EXPECT_EQ(stats->height(), 405);
  GraphView *graph = stats->graphView;
  auto publishSamples = [&](int count, int firstFrame) {
    kestor->changeNumber(publish->kproperty,
                         {{QStringLiteral("COUNT"), count}, {QStringLiteral("FIRST_FRAME"), firstFrame}});
  };
  publishSamples(450, 1);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return stats->findChild<QLineEdit *>(QStringLiteral("value:FRAME"))->text() == QStringLiteral("450"); },
      15000));
  EXPECT_EQ(graph->driftsXY.size(), 401u);
  EXPECT_DOUBLE_EQ(graph->driftsXY.front().x(), 50 / 100.0 * std::cos(50 / 10.0));  // frames 50 to 450 remain

  // The newest point is drawn in graphColor2: sample 450 at range 5, 7 points per unit.
  const QImage image = graph->grab().toImage();
  const QPointF newest = graph->driftsXY.back();
  const double scale = (75 - 5) / 5.0;
  const QColor dot = image.pixelColor(QPoint(qRound(75 + newest.x() * scale), qRound(75 + newest.y() * scale)));
  EXPECT_LT(std::abs(dot.red() - graphColor2().red()) + std::abs(dot.green() - graphColor2().green()), 60)
      << dot.name().toStdString();

  publishSamples(3, 1);  // a new run starts at frame 1
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return stats->findChild<QLineEdit *>(QStringLiteral("value:FRAME"))->text() == QStringLiteral("3"); },
      10000));
  EXPECT_EQ(graph->driftsXY.size(), 3u);
}

}  // namespace
