// The dashboard's toolbar commands, clicked as a user would: select all, column break, info,
// up and down, delete, the seven colours and the lock.
#include <QSettings>
#include <QTest>
#include <kestor.h>

#include "BoardFixture.h"
#include "core/Globals.h"
#include "widgets/KButton.h"

namespace {

using BoardCommands = BoardFixture;

// Selects the widgets at the given places in board order: a click, then Shift-clicks.
void select(const std::vector<PropertyWidget *> &widgets, const std::vector<int> &places) {
  for (std::size_t i = 0; i < places.size(); ++i) {
    BoardFixture::click(widgets[static_cast<std::size_t>(places[i])], i == 0 ? Qt::NoModifier : Qt::ShiftModifier);
  }
}

TEST_F(BoardCommands, SelectAllSelectsEveryWidgetInOrderEvenWhenLocked) {
  auto w = pinnedAll("ABC");
  dashboard->locked = true;
  click(w[1]);
  dashboard->selectAllAction();
  ASSERT_EQ(dashboard->selection.size(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(dashboard->selection[i], w[static_cast<std::size_t>(i)]);
    EXPECT_EQ(w[static_cast<std::size_t>(i)]->fill().alpha, 0.5);
  }
  EXPECT_EQ(dashboard->active, w[0]);
  EXPECT_TRUE(deleteButton.isEnabled());
}

TEST_F(BoardCommands, BreakEndsTheActiveWidgetsColumn) {
  auto w = pinnedAll("ABC");
  click(w[1]);
  QTest::mouseClick(&breakButton, Qt::LeftButton);
  EXPECT_TRUE(w[1]->brk);
  EXPECT_TRUE(breakButton.isChecked());
  EXPECT_EQ(origin(w[1]), QPointF(0, 195));
  EXPECT_EQ(origin(w[2]), QPointF(405, 250));  // C would fit, but starts the next column
  QTest::mouseClick(&breakButton, Qt::LeftButton);
  EXPECT_FALSE(w[1]->brk);
  EXPECT_EQ(origin(w[2]), QPointF(0, 140));
  clickBoard(QPointF(600, 150));
  dashboard->breakAction();  // without an active widget nothing changes
  EXPECT_FALSE(w[1]->brk);
}

TEST_F(BoardCommands, InfoTracesEachSelectedPropertyAtTheTraceLevelOnly) {
  auto w = pinnedAll("ABC");
  select(w, {2, 0});
  captureLog();
  kestor_set_log_level(1);
  QTest::mouseClick(&infoButton, Qt::LeftButton);
  EXPECT_EQ(kestor_get_log_level(), 1u);
  std::vector<std::string> heads;
  for (const LoggedLine &line : logged) {
    EXPECT_EQ(line.level, 3u) << line.text;
    if (line.text.rfind("Property ", 0) == 0) {
      heads.push_back(line.text.substr(0, line.text.find(' ', 9)));
    }
  }
  EXPECT_EQ(heads, (std::vector<std::string>{"Property Device.C", "Property Device.A"}));
  EXPECT_GE(logged.size(), 4u);  // each with its item
}

// A, B, C, D in a column; the selected places, the buttons clicked ('u' up, 'd' down) and the
// order that follows.
struct MoveCase {
  const char *name;
  std::vector<int> selected;
  std::string clicks;
  std::string order;
};

void PrintTo(const MoveCase &c, std::ostream *out) { *out << c.name; }

class BoardMoves : public BoardFixture, public testing::WithParamInterface<MoveCase> {};

TEST_P(BoardMoves, MoveEachRunOfSelectedWidgetsOnePlace) {
  auto w = pinnedAll("ABCD");
  select(w, GetParam().selected);
  for (char c : GetParam().clicks) {
    QTest::mouseClick(c == 'u' ? &upButton : &downButton, Qt::LeftButton);
  }
  EXPECT_EQ(order(), GetParam().order);
  const std::vector<PropertyWidget *> now = dashboard->widgets();
  for (std::size_t i = 0; i < now.size(); ++i) {
    EXPECT_EQ(origin(now[i]), QPointF(0, 250 - 55.0 * static_cast<double>(i))) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardMoves,
                         testing::Values(MoveCase{"runUp", {1, 2}, "u", "BCAD"},
                                         MoveCase{"runUpTwiceStopsAtTheTop", {1, 2}, "uu", "BCAD"},
                                         MoveCase{"runDown", {0, 1}, "d", "CABD"},
                                         MoveCase{"lastStaysDown", {3}, "d", "ABCD"},
                                         MoveCase{"twoRunsUp", {0, 2}, "u", "ACBD"},
                                         MoveCase{"twoRunsDown", {0, 2}, "d", "BADC"},
                                         MoveCase{"upThenDown", {2}, "ud", "ABCD"}),
                         [](const testing::TestParamInfo<MoveCase> &info) { return std::string(info.param.name); });

TEST_F(BoardCommands, UpDownAndDeleteDoNothingWhenLocked) {
  auto w = pinnedAll("ABCD");
  select(w, {1, 2});
  dashboard->locked = true;
  for (QPushButton *b : {&upButton, &downButton, &deleteButton}) {
    QTest::mouseClick(b, Qt::LeftButton);
  }
  EXPECT_EQ(order(), "ABCD");
  EXPECT_EQ(w[1]->parentWidget(), dashboard);
}

TEST_F(BoardCommands, DeletedWidgetsStaySelectedUntilTheSelectionIsReplaced) {
  auto w = pinnedAll("ABCD");
  select(w, {1, 2});
  QTest::mouseClick(&deleteButton, Qt::LeftButton);
  EXPECT_EQ(order(), "AD");
  EXPECT_EQ(origin(w[3]), QPointF(0, 195));
  EXPECT_FALSE(w[1]->isVisible());
  EXPECT_EQ(dashboard->selection.size(), 2);
  EXPECT_TRUE(deleteButton.isEnabled());
  EXPECT_TRUE(redButton.isEnabled());

  captureLog();
  QTest::mouseClick(&infoButton, Qt::LeftButton);  // still traces the removed widgets' properties
  EXPECT_FALSE(logged.empty());
  EXPECT_EQ(logged.front().text.rfind("Property Device.B ", 0), 0u) << logged.front().text;
  QTest::mouseClick(&redButton, Qt::LeftButton);
  EXPECT_EQ(w[1]->fill().red, 0.5);
  EXPECT_EQ(w[1]->fill().green, 0.0);
  QTest::mouseClick(&upButton, Qt::LeftButton);  // skips them
  EXPECT_EQ(order(), "AD");

  QPointer<PropertyWidget> b = w[1], c = w[2];
  click(w[0]);
  EXPECT_TRUE(b.isNull());
  EXPECT_TRUE(c.isNull());
  EXPECT_EQ(dashboard->selection.size(), 1);
}

// A colour button and the fill it gives, with the workspace colour code of that fill.
struct ColourCase {
  const char *name;
  QPushButton BoardFixture::*button;
  double red, green, blue;
  int code;
};

void PrintTo(const ColourCase &c, std::ostream *out) { *out << c.name; }

class BoardColours : public BoardFixture, public testing::WithParamInterface<ColourCase> {
protected:
  ~BoardColours() override {
    for (const char *key : {"workspace_1", "workspace_breaks_1", "workspace_colours_1"}) {
      defaults().remove(QLatin1String(key));
    }
  }
};

TEST_P(BoardColours, ColourTheSelectedWidgets) {
  const ColourCase &c = GetParam();
  auto w = pinnedAll("ABC");
  select(w, {0, 2});
  QTest::mouseClick(&(this->*c.button), Qt::LeftButton);
  for (PropertyWidget *widget : {w[0], w[2]}) {
    const PropertyWidget::Fill f = widget->fill();
    EXPECT_EQ(std::vector({f.red, f.green, f.blue, f.alpha}), std::vector({c.red, c.green, c.blue, 0.5}));
  }
  EXPECT_EQ(w[1]->fill().alpha, 0.2);
  dashboard->saveWidgets = true;
  dashboard->layoutWidgets();
  EXPECT_EQ(defaults().value(QStringLiteral("workspace_colours_1")).toList(), (QVariantList{c.code, 111, c.code}));
  clickBoard(QPointF(600, 150));  // leaving the selection keeps the colour, with the normal alpha
  EXPECT_EQ(w[0]->fill().red, c.red);
  EXPECT_EQ(w[0]->fill().alpha, 0.2);
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardColours,
                         testing::Values(ColourCase{"gray", &BoardFixture::grayButton, 0.5, 0.5, 0.5, 111},
                                         ColourCase{"red", &BoardFixture::redButton, 0.5, 0, 0, 100},
                                         ColourCase{"green", &BoardFixture::greenButton, 0, 0.5, 0, 10},
                                         ColourCase{"blue", &BoardFixture::blueButton, 0, 0, 0.5, 1},
                                         ColourCase{"yellow", &BoardFixture::yellowButton, 0.5, 0.5, 0, 110},
                                         ColourCase{"magenta", &BoardFixture::magentaButton, 0.5, 0, 0.5, 101},
                                         ColourCase{"cyan", &BoardFixture::cyanButton, 0, 0.5, 0.5, 11}),
                         [](const testing::TestParamInfo<ColourCase> &info) { return std::string(info.param.name); });

TEST_F(BoardCommands, ColourFromAnotherSenderOrWithoutSelectionChangesNothing) {
  auto w = pinnedAll("A");
  QTest::mouseClick(&redButton, Qt::LeftButton);  // nothing selected
  EXPECT_EQ(w[0]->fill().red, 0.5);
  EXPECT_EQ(w[0]->fill().green, 0.5);
  click(w[0]);
  dashboard->colourAction(&infoButton);
  EXPECT_EQ(w[0]->fill().green, 0.5);
}

// The lock is shown, stored and laid out on a later turn of the event loop.
bool lockApplied() {
  return QTest::qWaitFor([] { return defaults().contains(QStringLiteral("locked")); }, 2000);
}

// The lock: which control sends it, the lock button's state before, and the lock after.
struct LockCase {
  const char *name;
  bool lockButtonOn;
  char sender;  // 'l' lock button, 'u' unlock button, 'm' menu item
  bool locked;
};

void PrintTo(const LockCase &c, std::ostream *out) { *out << c.name; }

class BoardLock : public BoardFixture, public testing::WithParamInterface<LockCase> {};

TEST_P(BoardLock, FollowsItsSenderAndIsShownStoredAndLaidOutAfterwards) {
  const LockCase &c = GetParam();
  auto w = pinnedAll("AB");
  lockButton.setChecked(c.lockButtonOn);
  dashboard->locked = c.lockButtonOn;
  switch (c.sender) {
    case 'l': QTest::mouseClick(&lockButton, Qt::LeftButton); break;
    case 'u': QTest::mouseClick(&unlockButton, Qt::LeftButton); break;
    default: lockMenu.trigger();
  }
  EXPECT_EQ(dashboard->locked, c.locked);
  EXPECT_FALSE(defaults().contains(QStringLiteral("locked")));  // applied on the next turn of the event loop
  ASSERT_TRUE(lockApplied());
  EXPECT_EQ(defaults().value(QStringLiteral("locked")).toBool(), c.locked);
  EXPECT_EQ(lockButton.isChecked(), c.locked);
  EXPECT_EQ(unlockButton.isChecked(), !c.locked);
  EXPECT_EQ(w[0]->button2->isEnabled(), !c.locked);

  DashboardView restarted;  // the lock survives a restart
  restarted.awakeFromNib();
  EXPECT_EQ(restarted.locked, c.locked);
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardLock,
                         testing::Values(LockCase{"lockButton", false, 'l', true},
                                         LockCase{"lockButtonWhileLocked", true, 'l', true},
                                         LockCase{"unlockButton", true, 'u', false},
                                         LockCase{"menuLocksWhenTheButtonIsOff", false, 'm', true},
                                         LockCase{"menuUnlocksWhenTheButtonIsOn", true, 'm', false}),
                         [](const testing::TestParamInfo<LockCase> &info) { return std::string(info.param.name); });

TEST_F(BoardCommands, TheMenuWithoutALockButtonChangesNothingButStoresAndLaysOut) {
  auto w = pinnedAll("A");
  dashboard->lockButton = nullptr;
  dashboard->locked = true;
  lockMenu.trigger();
  EXPECT_TRUE(dashboard->locked);
  w[0]->button2->setEnabled(true);
  ASSERT_TRUE(lockApplied());
  EXPECT_TRUE(defaults().value(QStringLiteral("locked")).toBool());
  EXPECT_FALSE(w[0]->button2->isEnabled());  // laid out again, locked
  EXPECT_FALSE(unlockButton.isChecked());
}

TEST_F(BoardCommands, PictureOfASelectedAndColouredDashboard) {
  auto w = pinnedAll("ABCDEF", 80);
  select(w, {1});
  QTest::mouseClick(&redButton, Qt::LeftButton);
  select(w, {4});
  QTest::mouseClick(&cyanButton, Qt::LeftButton);
  select(w, {1, 2, 4});
  EXPECT_EQ(origin(w[3]), QPointF(405, 220));  // three fit in a column 300 high
  QImage picture = dashboard->grab().toImage();
  // Selected widgets are filled more strongly than the others.
  const QColor selectedFill = picture.pixelColor(w[2]->geometry().topLeft() + QPoint(200, 2));
  const QColor normalFill = picture.pixelColor(w[0]->geometry().topLeft() + QPoint(200, 2));
  EXPECT_LT(selectedFill.lightness(), normalFill.lightness());
  saveScreenshot(dashboard, QStringLiteral("dashboard_selected"));
}

}  // namespace
