// Editing property widgets with real clicks and keys: edit marking that refreshes leave alone,
// Set, Reset, the folder row, the guider's buttons and the keyboard while the mount's search waits.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "EventLoopWait.h"
#include "StubSimbadServer.h"
#include "WidgetFixture.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/MapView.h"
#include "skymap/ObjectSearch.h"
#include "widgets/FieldStyle.h"
#include "widgets/GraphView.h"
#include "widgets/KButton.h"

namespace {

void typeInto(QLineEdit *field, const QString &text) {
  QTest::mouseClick(field, Qt::LeftButton);
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, text);
}

void click(QWidget *widget, const char *name) {
  QTest::mouseClick(control<QAbstractButton>(widget, name), Qt::LeftButton);
}

// The edited field as the user sees it: orange.
bool isOrange(const QLineEdit *field) {
  const QPoint inside = field->mapTo(field->window(), QPoint(field->width() - 4, field->height() / 2));
  return FieldStyle::isEdited(field) && field->window()->grab().toImage().pixelColor(inside) == QColor(255, 128, 0);
}

struct TargetCase {
  const char *name;
  const char *format;
  const char *typed;
  std::optional<double> sent;
};

void PrintTo(const TargetCase &c, std::ostream *out) { *out << c.name; }

class TargetTexts : public WidgetFixture, public testing::WithParamInterface<TargetCase> {};

TEST_P(TargetTexts, StayOrangeThroughRefreshesAndAreSentWithEveryItemWhenTheyReadAsNumbers) {
  const TargetCase &c = GetParam();
  auto property = define(PropertyRecord("Telescope Simulator", "GEOGRAPHIC_COORDINATES", KESTOR_NUMBER, 0,
                                        {numberItem("LATITUDE", 10, c.format), numberItem("ELEVATION", 300)}));
  PropertyWidget *widget = showWidget(property);
  auto *target = control<QLineEdit>(widget, "target:LATITUDE");
  auto *value = control<QLineEdit>(widget, "value:LATITUDE");
  typeInto(target, QString::fromUtf8(c.typed));
  EXPECT_TRUE(isOrange(target));
  record(property)->items[0].number_value = 20;
  widget->update(property);
  EXPECT_EQ(target->text(), QString::fromUtf8(c.typed));
  EXPECT_NE(value->text(), target->text());
  click(widget, "set");
  const auto sent = changes();
  if (c.sent) {
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].function + sent[0].device + sent[0].property,
              "change_numberTelescope SimulatorGEOGRAPHIC_COORDINATES");
    EXPECT_EQ(sent[0].names, (std::vector<std::string>{"ELEVATION", "LATITUDE"}));
    EXPECT_EQ(sent[0].numbers, (std::vector<double>{300, *c.sent}));
    EXPECT_FALSE(FieldStyle::isEdited(target));
    EXPECT_EQ(target->palette().color(QPalette::Base), QApplication::palette(target).color(QPalette::Base));
    EXPECT_EQ(target->text(), value->text());  // the current value until the next refresh
  } else {
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(isOrange(target));
    QCoreApplication::processEvents();
    ASSERT_FALSE(kestor->messages.isEmpty());
    EXPECT_TRUE(kestor->messages.last().endsWith(QStringLiteral(" Invalid number: LATITUDE = ") + c.typed));
  }
}

INSTANTIATE_TEST_SUITE_P(PropertyWidgetEdit, TargetTexts,
                         testing::Values(TargetCase{"sexagesimal", "%010.6m", "-10:30", -10.5},
                                         TargetCase{"plain", "%g", " 12.5 ", 12.5},
                                         TargetCase{"plainPartial", "%g", "12abc", std::nullopt},
                                         TargetCase{"sexagesimalWord", "%010.6m", "north", std::nullopt}),
                         [](const testing::TestParamInfo<TargetCase> &info) { return std::string(info.param.name); });

using PropertyWidgetEdit = WidgetFixture;

TEST_F(PropertyWidgetEdit, TextsAreMarkedFromTheFirstEditedResetOrSentWhole) {
  auto property = define(
      PropertyRecord("D", "ACTIVE_DEVICES", KESTOR_TEXT, 0, {textItem("MOUNT", "Telescope"), textItem("CCD", "CCD")}));
  PropertyWidget *widget = showWidget(property);
  auto *first = control<QLineEdit>(widget, "value:MOUNT");
  auto *second = control<QLineEdit>(widget, "value:CCD");
  typeInto(first, QStringLiteral("Mount"));
  click(widget, "reset");
  EXPECT_EQ(first->text(), QStringLiteral("Telescope"));
  EXPECT_FALSE(FieldStyle::isEdited(first));
  typeInto(first, QStringLiteral("Mount"));
  typeInto(second, QStringLiteral("Imager"));
  EXPECT_TRUE(isOrange(first));
  EXPECT_FALSE(FieldStyle::isEdited(second));
  PropertyRecord::copy(record(property)->items[0].text_value, "Other");
  PropertyRecord::copy(record(property)->items[1].text_value, "Camera");
  widget->update(property);  // the edited one keeps its text, the other follows its item
  EXPECT_EQ(first->text() + second->text(), QStringLiteral("MountCamera"));
  click(widget, "set");
  const auto sent = changes();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].function, "change_text");
  EXPECT_EQ(sent[0].names, (std::vector<std::string>{"CCD", "MOUNT"}));
  EXPECT_EQ(sent[0].texts, (std::vector<std::string>{"Camera", "Mount"}));
}

TEST_F(PropertyWidgetEdit, FolderChosenFillsTheDirectoryFieldUntilSet) {
  PropertyWidget *widget =
      showWidget(define(PropertyRecord("CCD", "CCD_LOCAL_MODE", KESTOR_TEXT, 0, {textItem("DIR", "/old/")})));
  QTemporaryDir folder;
  const QString chosen = folder.path() + u'/';
  QTimer::singleShot(50, widget, [&] {
    if (auto *dialog = window.findChild<QFileDialog *>(QStringLiteral("folderDialog"))) {
      dialog->setDirectory(folder.path());
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  click(widget, "folder");
  ASSERT_TRUE(QTest::qWaitFor([&] { return widget->dirField->text() == chosen; }, 5000));
  EXPECT_TRUE(isOrange(widget->dirField));
  widget->folderChosen(QDialog::Rejected, QStringLiteral("/elsewhere"));
  click(widget, "set");
  const auto sent = changes();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].texts, std::vector<std::string>{chosen.toStdString()});
}

TEST_F(PropertyWidgetEdit, GuiderButtonsSwitchModesZoomAndReset) {
  PropertyWidget *widget = showWidget(
      define(PropertyRecord("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, guiderItems()), KESTOR_PERM_RO));
  GraphView *graph = widget->graphView;
  graph->addSample({0, {1, 1}, {1, 1}, {1, 1}});
  EXPECT_EQ(control<KButton>(widget, "xy")->state(), KButton::ON);
  click(widget, "eq");
  EXPECT_EQ(graph->mode, GuiderSample::Series::DriftEQ);
  for (const char *name : {"xy", "corr"}) {
    EXPECT_EQ(control<KButton>(widget, name)->state(), KButton::OFF) << name;
  }
  EXPECT_EQ(widget->button1->state(), KButton::OFF);
  click(widget, "corr");
  EXPECT_EQ(graph->mode, GuiderSample::Series::Corrections);
  std::vector<int> shows;
  for (const char *button : {"zoomIn", "zoomIn", "zoomOut", "zoomOut", "zoomOut", "zoomOut", "zoomOut"}) {
    click(widget, button);
    shows.push_back(graph->showCount);
  }
  EXPECT_EQ(shows, (std::vector<int>{25, 25, 50, 100, 200, 400, 400}));
  click(widget, "reset");
  EXPECT_TRUE(graph->driftsXY.empty() && graph->driftsEQ.empty() && graph->corrections.empty());
}

// Keys as the user presses them: to the open menu, else to the control that has the keyboard.
void press(const QString &keys) { QTest::keyClicks(static_cast<QWidget *>(nullptr), keys); }
void press(Qt::Key key) { QTest::keyClick(static_cast<QWidget *>(nullptr), key); }

struct SearchWaitCase {
  const char *name;
  StubSimbadServer::Mode service;
  bool clickTargetMeanwhile;  // the user puts the keyboard into the RA target while waiting
};

void PrintTo(const SearchWaitCase &c, std::ostream *out) { *out << c.name; }

class SearchWait : public WidgetFixture, public testing::WithParamInterface<SearchWaitCase> {
protected:
  ~SearchWait() override { defaults().remove(Setting::SIMBAD_URL.name()); }
};

TEST_P(SearchWait, KeysTypedWhileTheServiceIsAskedReachNoTargetAndTheFieldGetsTheKeyboardBack) {
  const SearchWaitCase &c = GetParam();
  StubSimbadServer stub(c.service, 200, "ID Vega\nEND\n");
  defaults().setValue(Setting::SIMBAD_URL.name(), stub.address());
  PropertyWidget *widget =
      showWidget(define(PropertyRecord("Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, 0,
                                       {numberItem("RA", 5.5, "%010.6m"), numberItem("DEC", 20, "%010.6m")})));
  widget->mapView->search().setTimeout(0.5);
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  auto *search = control<QLineEdit>(widget, "search");
  auto *ra = control<QLineEdit>(widget, "target:RA");
  auto *dec = control<QLineEdit>(widget, "target:DEC");
  const QStringList targets{ra->text(), dec->text()};

  QTest::mouseClick(search, Qt::LeftButton);
  press(QStringLiteral("Vega"));
  press(Qt::Key_Return);
  ASSERT_FALSE(search->isEnabled());
  press(Qt::Key_Escape);  // closes the results
  press(QStringLiteral("12"));
  EXPECT_EQ(QStringList({ra->text(), dec->text()}), targets);
  EXPECT_FALSE(FieldStyle::isEdited(ra) || FieldStyle::isEdited(dec));
  if (c.clickTargetMeanwhile) QTest::mouseClick(ra, Qt::LeftButton);

  ASSERT_TRUE(waitUntil([&] { return search->isEnabled(); }, 8000));
  EXPECT_EQ(QApplication::focusWidget(), c.clickTargetMeanwhile ? ra : search);
  EXPECT_EQ(search->text(), QStringLiteral("Vega"));
}

INSTANTIATE_TEST_SUITE_P(
    PropertyWidgetEdit, SearchWait,
    testing::Values(SearchWaitCase{"answered", StubSimbadServer::Mode::Answer, false},
                    SearchWaitCase{"unanswered", StubSimbadServer::Mode::Silent, false},
                    SearchWaitCase{"keyboardMovedMeanwhile", StubSimbadServer::Mode::Silent, true}),
    [](const testing::TestParamInfo<SearchWaitCase> &info) { return std::string(info.param.name); });

}  // namespace
