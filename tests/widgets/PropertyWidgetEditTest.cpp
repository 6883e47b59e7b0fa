// Editing property widgets with real clicks and keys: edit marking, Set, Reset, switches, the
// folder row, objects chosen on the map and the guider's buttons.
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "WidgetFixture.h"
#include "skymap/MapView.h"
#include "widgets/GraphView.h"
#include "widgets/FieldStyle.h"
#include "widgets/KButton.h"
#include "core/Sexagesimal.h"

namespace {

using PropertyWidgetEdit = WidgetFixture;

void typeInto(QLineEdit *field, const QString &text) {
  QTest::mouseClick(field, Qt::LeftButton);
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, text);
}

void click(QWidget *widget, const char *name) { QTest::mouseClick(control<QAbstractButton>(widget, name), Qt::LeftButton); }

bool isOrange(const QLineEdit *field) {
  return FieldStyle::isEdited(field) && field->palette().color(QPalette::Base) == QColor(255, 128, 0);
}

QStringList loggedTexts(KESTOR &kestor) {
  QCoreApplication::processEvents();
  QStringList texts;
  for (const QString &entry : kestor.messages) {
    texts << entry.section(u' ', 1);
  }
  return texts;
}

TEST_F(PropertyWidgetEdit, NumberTargetTurnsOrangeSurvivesRefreshAndIsSentWithEveryItem) {
  auto property = define(PropertyRecord("CCD Simulator", "POLLING_PERIOD", KESTOR_NUMBER, KESTOR_STATE_OK,
                                        {numberItem("PERIOD_MS", 1000), numberItem("OTHER", 2)}));
  PropertyWidget *widget = showWidget(property);
  auto *target = control<QLineEdit>(widget, "target:PERIOD_MS");
  auto *value = control<QLineEdit>(widget, "value:PERIOD_MS");
  typeInto(target, QStringLiteral("500"));
  EXPECT_TRUE(isOrange(target));
  const QImage picture = widget->grab().toImage();
  const QPoint inside = target->mapTo(widget, QPoint(5, 10));
  EXPECT_EQ(picture.pixelColor(inside), QColor(255, 128, 0));
  EXPECT_EQ(value->text(), QStringLiteral("1000"));
  saveScreenshot(widget, QStringLiteral("edit_orange"));

  kestor_item &period = record(property)->items[0];
  period.number_value = 1200;
  period.number_target = 1500;
  widget->update(property);
  EXPECT_EQ(target->text(), QStringLiteral("500"));
  EXPECT_EQ(value->text(), QStringLiteral("1200"));
  EXPECT_EQ(control<QLineEdit>(widget, "target:OTHER")->text(), QStringLiteral("2"));

  click(widget, "set");
  const auto sent = changes();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].function, "change_number");
  EXPECT_EQ(sent[0].device, "CCD Simulator");
  EXPECT_EQ(sent[0].property, "POLLING_PERIOD");
  EXPECT_EQ(sent[0].names, (std::vector<std::string>{"OTHER", "PERIOD_MS"}));
  EXPECT_EQ(sent[0].numbers, (std::vector<double>{2, 500}));
  EXPECT_FALSE(FieldStyle::isEdited(target));
  EXPECT_EQ(target->palette().color(QPalette::Base), QApplication::palette(target).color(QPalette::Base));
  EXPECT_EQ(target->text(), QStringLiteral("1200"));  // the current value until the next refresh
}

struct TargetCase {
  const char *name;
  const char *format;
  const char *typed;
  std::optional<double> sent;
};

void PrintTo(const TargetCase &c, std::ostream *out) { *out << c.name; }

class TargetTexts : public WidgetFixture, public testing::WithParamInterface<TargetCase> {};

TEST_P(TargetTexts, AreSentOnlyWhenTheyReadAsNumbers) {
  const TargetCase &c = GetParam();
  auto property = define(PropertyRecord("Telescope Simulator", "GEOGRAPHIC_COORDINATES", KESTOR_NUMBER, 0,
                                        {numberItem("LATITUDE", 10, c.format), numberItem("ELEVATION", 300)}));
  PropertyWidget *widget = showWidget(property);
  auto *target = control<QLineEdit>(widget, "target:LATITUDE");
  typeInto(target, QString::fromUtf8(c.typed));
  click(widget, "set");
  const auto sent = changes();
  if (c.sent) {
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].names, (std::vector<std::string>{"ELEVATION", "LATITUDE"}));
    EXPECT_DOUBLE_EQ(sent[0].numbers.at(1), *c.sent);
    EXPECT_EQ(sent[0].numbers.at(0), 300);
    EXPECT_FALSE(FieldStyle::isEdited(target));
  } else {
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(isOrange(target));
    EXPECT_EQ(target->text(), QString::fromUtf8(c.typed));
    EXPECT_TRUE(loggedTexts(*kestor).contains(QStringLiteral("Invalid number: LATITUDE = ") + QString::fromUtf8(c.typed)));
  }
}

INSTANTIATE_TEST_SUITE_P(PropertyWidgetEdit, TargetTexts,
                         testing::Values(TargetCase{"sexagesimal", "%012.8m", "45:30:00", 45.5},
                                         TargetCase{"negativeSexagesimal", "%010.6m", "-10:30", -10.5},
                                         TargetCase{"sexagesimalDegreesOnly", "%010.6m", "12.25", 12.25},
                                         TargetCase{"plain", "%g", " 12.5 ", 12.5},
                                         TargetCase{"plainWord", "%g", "abc", std::nullopt},
                                         TargetCase{"plainPartial", "%g", "12abc", std::nullopt},
                                         TargetCase{"plainEmpty", "%g", "", std::nullopt},
                                         TargetCase{"plainInfinite", "%g", "inf", std::nullopt},
                                         TargetCase{"sexagesimalWord", "%010.6m", "north", std::nullopt},
                                         TargetCase{"sexagesimalPartial", "%010.6m", "12:xx", std::nullopt},
                                         TargetCase{"sexagesimalTooMany", "%010.6m", "1:2:3:4", std::nullopt}),
                         [](const testing::TestParamInfo<TargetCase> &info) { return std::string(info.param.name); });

TEST_F(PropertyWidgetEdit, TextSetSendsEveryFieldAndOnlyTheFirstIsMarked) {
  auto property = define(PropertyRecord("D", "ACTIVE_DEVICES", KESTOR_TEXT, 0,
                                        {textItem("ACTIVE_TELESCOPE", "Telescope"), textItem("ACTIVE_CCD", "CCD")}));
  PropertyWidget *widget = showWidget(property);
  auto *first = control<QLineEdit>(widget, "value:ACTIVE_TELESCOPE");
  auto *second = control<QLineEdit>(widget, "value:ACTIVE_CCD");
  typeInto(first, QStringLiteral("Mount"));
  typeInto(second, QStringLiteral("Camera"));
  EXPECT_TRUE(isOrange(first));
  EXPECT_FALSE(FieldStyle::isEdited(second));
  click(widget, "set");
  const auto sent = changes();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].names, (std::vector<std::string>{"ACTIVE_CCD", "ACTIVE_TELESCOPE"}));
  EXPECT_EQ(sent[0].texts, (std::vector<std::string>{"Camera", "Mount"}));
  EXPECT_FALSE(FieldStyle::isEdited(first));
  EXPECT_EQ(first->text(), QStringLiteral("Telescope"));  // Reset shows the item again
}

TEST_F(PropertyWidgetEdit, ResetRestoresTargetsFromValues) {
  auto property = define(PropertyRecord("D", "N", KESTOR_NUMBER, 0, {numberItem("A", 3)}));
  PropertyWidget *widget = showWidget(property);
  auto *target = control<QLineEdit>(widget, "target:A");
  typeInto(target, QStringLiteral("7"));
  click(widget, "reset");
  EXPECT_EQ(target->text(), QStringLiteral("3"));
  EXPECT_FALSE(FieldStyle::isEdited(target));
  EXPECT_TRUE(changes().empty());
}

TEST_F(PropertyWidgetEdit, SwitchClickSendsItsSingleItem) {
  auto property = define(PropertyRecord("CCD Simulator", "CONNECTION", KESTOR_SWITCH, KESTOR_STATE_IDLE,
                                        {switchItem("CONNECTED", false), switchItem("DISCONNECTED", true)}),
                         KESTOR_PERM_RW, KESTOR_RULE_ONE_OF_MANY);
  PropertyWidget *widget = showWidget(property);
  click(widget, "switch:CONNECTED");
  const auto sent = changes();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].function, "change_switch");
  EXPECT_EQ(sent[0].names, std::vector<std::string>{"CONNECTED"});
  EXPECT_EQ(sent[0].switches, std::vector<bool>{true});

  kestor_property *raw = record(property);
  raw->items[0].switch_value = true;
  raw->items[1].switch_value = false;
  raw->state = KESTOR_STATE_OK;
  widget->update(property);
  EXPECT_FALSE(control<KButton>(widget, "switch:CONNECTED")->isEnabled());
  EXPECT_TRUE(control<KButton>(widget, "switch:DISCONNECTED")->isEnabled());
  EXPECT_EQ(control<KButton>(widget, "switch:DISCONNECTED")->state(), KButton::OFF);
}

TEST_F(PropertyWidgetEdit, FolderChosenFillsTheDirectoryFieldUntilSet) {
  auto property = define(PropertyRecord("CCD Simulator", "CCD_LOCAL_MODE", KESTOR_TEXT, 0, {textItem("DIR", "/old/")}));
  PropertyWidget *widget = showWidget(property);
  QTemporaryDir folder;
  bool dialogSeen = false;
  QTimer::singleShot(50, widget, [&] {
    auto *dialog = window.findChild<QFileDialog *>(QStringLiteral("folderDialog"));
    if (dialog) {
      dialogSeen = true;
      dialog->setDirectory(folder.path());
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  click(widget, "folder");
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialogSeen; }, 3000));
  QTest::qWait(10);
  EXPECT_EQ(widget->dirField->text(), folder.path() + QStringLiteral("/"));
  EXPECT_TRUE(isOrange(widget->dirField));
  widget->folderChosen(QDialog::Rejected, QStringLiteral("/elsewhere"));
  EXPECT_EQ(widget->dirField->text(), folder.path() + QStringLiteral("/"));
  EXPECT_TRUE(changes().empty());
  click(widget, "set");
  const auto sent = changes();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].texts, std::vector<std::string>{(folder.path() + QStringLiteral("/")).toStdString()});
}

TEST_F(PropertyWidgetEdit, ObjectChosenOnTheMapFillsTheTargets) {
  auto property = define(PropertyRecord("Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, 0,
                                        {numberItem("RA", 1, "%010.6m"), numberItem("DEC", 2, "%010.6m")}));
  PropertyWidget *widget = showWidget(property);
  auto entry = std::make_shared<MapEntry>();
  entry->object.id = 7;
  entry->ra = 12.5;
  entry->dec = -30.25;
  widget->selectedWithEntry(entry);
  EXPECT_EQ(widget->entryNameLabel->text(), QStringLiteral("HIP7"));
  EXPECT_EQ(widget->targets.at(QStringLiteral("RA"))->text(), formatSexagesimal(12.5));
  EXPECT_EQ(widget->targets.at(QStringLiteral("DEC"))->text(), QStringLiteral("-30:15:00.0"));
  EXPECT_TRUE(isOrange(widget->targets.at(QStringLiteral("RA"))));
  EXPECT_TRUE(isOrange(widget->targets.at(QStringLiteral("DEC"))));
  entry->name = QStringLiteral("Vega");
  widget->selectedWithEntry(entry);
  EXPECT_EQ(widget->entryNameLabel->text(), QStringLiteral("Vega"));
  widget->selectedWithEntry(nullptr);
  EXPECT_EQ(widget->entryNameLabel->text(), QString());
  click(widget, "set");
  const auto sent = changes();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].numbers, (std::vector<double>{-30.25, 12.5}));
}

const std::vector<ItemRecipe> GUIDER = {numberItem("FRAME", 0),    numberItem("DRIFT_X", 0),   numberItem("DRIFT_Y", 0),
                                      numberItem("DRIFT_RA", 0), numberItem("DRIFT_DEC", 0), numberItem("CORR_RA", 0),
                                      numberItem("CORR_DEC", 0)};

TEST_F(PropertyWidgetEdit, GuiderButtonsZoomSwitchModesAndReset) {
  auto property = define(PropertyRecord("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, GUIDER), KESTOR_PERM_RO);
  PropertyWidget *widget = showWidget(property);
  GraphView *graph = widget->graphView;
  ASSERT_NE(graph, nullptr);
  graph->addSample({0, {1, 1}, {1, 1}, {1, 1}});
  click(widget, "eq");
  EXPECT_EQ(graph->mode, GuiderSample::Series::DriftEQ);
  EXPECT_EQ(control<KButton>(widget, "eq")->state(), KButton::ON);
  EXPECT_EQ(control<KButton>(widget, "xy")->state(), KButton::OFF);
  EXPECT_EQ(control<KButton>(widget, "corr")->state(), KButton::OFF);
  EXPECT_EQ(widget->button1->state(), KButton::OFF);
  click(widget, "corr");
  EXPECT_EQ(graph->mode, GuiderSample::Series::Corrections);
  click(widget, "zoomIn");
  EXPECT_EQ(graph->showCount, 25);
  click(widget, "zoomIn");
  EXPECT_EQ(graph->showCount, 25);
  std::vector<int> shows;
  for (int i = 0; i < 5; ++i) {
    click(widget, "zoomOut");
    shows.push_back(graph->showCount);
  }
  EXPECT_EQ(shows, (std::vector<int>{50, 100, 200, 400, 400}));
  click(widget, "reset");
  EXPECT_TRUE(graph->driftsXY.empty() && graph->driftsEQ.empty() && graph->corrections.empty());
}

}  // namespace
