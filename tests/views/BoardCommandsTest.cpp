// The dashboard's toolbar commands, clicked as a user would: select all, column break, colours,
// info, up and down, delete and the lock.
#include "BoardFixture.h"
#include "widgets/KButton.h"

namespace {

using BoardCommands = BoardFixture;

TEST_F(BoardCommands, SelectAllBreakColourInfoAndDelete) {
  auto w = pinnedAll("ABCD");
  dashboard->locked = true;
  click(w[1]);
  dashboard->selectAllAction();  // also when locked, in board order
  EXPECT_EQ(selected(), w);
  EXPECT_EQ(dashboard->active, w[0]);
  EXPECT_EQ(w[3]->fill().alpha, 0.5);
  dashboard->locked = false;

  click(w[1]);
  QTest::mouseClick(&breakButton, Qt::LeftButton);
  EXPECT_TRUE(w[1]->brk && breakButton.isChecked());
  EXPECT_EQ(origin(w[2]), QPointF(405, 250));  // C would fit, but starts the next column
  QTest::mouseClick(&breakButton, Qt::LeftButton);
  EXPECT_EQ(origin(w[2]), QPointF(0, 140));

  select(w, {0, 2});
  QTest::mouseClick(&cyanButton, Qt::LeftButton);
  const auto fill = [](const PropertyWidget *widget) {
    const PropertyWidget::Fill f = widget->fill();
    return std::vector({f.red, f.green, f.blue, f.alpha});
  };
  EXPECT_EQ(fill(w[2]), std::vector({0.0, 0.5, 0.5, 0.5}));
  EXPECT_EQ(fill(w[1]), std::vector({0.5, 0.5, 0.5, 0.2}));
  clickBoard(QPointF(600, 150));  // leaving the selection keeps the colour, with the normal alpha
  EXPECT_EQ(fill(w[2]), std::vector({0.0, 0.5, 0.5, 0.2}));

  select(w, {2, 1});
  captureLog();
  kestor_set_log_level(1);
  QTest::mouseClick(&infoButton, Qt::LeftButton);  // each selected property, at the trace level only
  EXPECT_EQ(kestor_get_log_level(), 1u);
  std::vector<std::string> heads;
  for (const auto &[text, level] : logged()) {
    EXPECT_EQ(level, 3u) << text;
    if (text.rfind("Property ", 0) == 0) heads.push_back(text.substr(0, text.find(' ', 9)));
  }
  EXPECT_EQ(heads, (std::vector<std::string>{"Property Device.C", "Property Device.B"}));
  EXPECT_EQ(logged().size(), 4u);  // each with its item

  QTest::mouseClick(&deleteButton, Qt::LeftButton);
  EXPECT_EQ(order(), "AD");
  EXPECT_EQ(origin(w[3]), QPointF(0, 195));
  EXPECT_FALSE(w[1]->isVisible());
  // Deleted widgets stay selected until the selection is replaced: info, colours and moves
  // still see them.
  EXPECT_TRUE(deleteButton.isEnabled());
  logged().clear();
  QTest::mouseClick(&infoButton, Qt::LeftButton);
  EXPECT_EQ(logged().size(), 4u);
  QTest::mouseClick(&redButton, Qt::LeftButton);
  EXPECT_EQ(w[1]->fill().green, 0.0);
  QTest::mouseClick(&upButton, Qt::LeftButton);
  EXPECT_EQ(order(), "AD");
  QPointer<PropertyWidget> b = w[1];
  click(w[0]);
  EXPECT_TRUE(b.isNull());
  EXPECT_EQ(selected(), (std::vector{w[0]}));
  dashboard->colourAction(&infoButton);  // from another sender: no colour
  clickBoard(QPointF(600, 150));
  dashboard->breakAction();  // without an active widget nothing changes
  EXPECT_FALSE(w[0]->brk);
  QTest::mouseClick(&redButton, Qt::LeftButton);  // nothing selected
  EXPECT_EQ(w[0]->fill().green, 0.5);
}

// A, B, C, D in a column; the selected places, the buttons clicked ('u' up, 'd' down, 'x'
// delete) and the order that follows.
struct MoveCase {
  const char *name;
  std::vector<int> selected;
  std::string clicks;
  std::string order;
  bool locked = false;
};

void PrintTo(const MoveCase &c, std::ostream *out) { *out << c.name; }

class BoardMoves : public BoardFixture, public testing::WithParamInterface<MoveCase> {};

TEST_P(BoardMoves, MoveEachRunOfSelectedWidgetsOnePlace) {
  auto w = pinnedAll("ABCD");
  select(w, GetParam().selected);
  dashboard->locked = GetParam().locked;
  for (char c : GetParam().clicks) {
    QTest::mouseClick(c == 'u' ? &upButton : c == 'd' ? &downButton : &deleteButton, Qt::LeftButton);
  }
  EXPECT_EQ(order(), GetParam().order);
  expectOneColumn();
}

INSTANTIATE_TEST_SUITE_P(
    Boards, BoardMoves,
    testing::Values(MoveCase{"runUp", {1, 2}, "u", "BCAD"}, MoveCase{"runUpTwiceStopsAtTheTop", {1, 2}, "uu", "BCAD"},
                    MoveCase{"runDown", {0, 1}, "d", "CABD"}, MoveCase{"lastStaysDown", {3}, "d", "ABCD"},
                    MoveCase{"twoRunsUp", {0, 2}, "u", "ACBD"}, MoveCase{"twoRunsDown", {0, 2}, "d", "BADC"},
                    MoveCase{"upThenDown", {2}, "ud", "ABCD"}, MoveCase{"lockedNothing", {1, 2}, "udx", "ABCD", true}),
    [](const testing::TestParamInfo<MoveCase> &info) { return std::string(info.param.name); });

// The lock: which control sends it, the lock button's state before, and the lock after.
struct LockCase {
  const char *name;
  bool lockButtonOn;
  char sender;  // 'l' lock button, 'u' unlock button, 'm' menu item, 'n' menu item without a lock button
  bool locked;
};

void PrintTo(const LockCase &c, std::ostream *out) { *out << c.name; }

class BoardLock : public BoardFixture, public testing::WithParamInterface<LockCase> {};

TEST_P(BoardLock, FollowsItsSenderAndIsShownStoredAndLaidOutAfterwards) {
  const LockCase &c = GetParam();
  auto w = pinnedAll("AB");
  lockButton.setChecked(c.lockButtonOn);
  dashboard->locked = c.lockButtonOn;
  w[0]->button2->setEnabled(!c.lockButtonOn);
  switch (c.sender) {
  case 'l': QTest::mouseClick(&lockButton, Qt::LeftButton); break;
  case 'u': QTest::mouseClick(&unlockButton, Qt::LeftButton); break;
  case 'n': dashboard->lockButton = nullptr; [[fallthrough]];
  default: lockMenu.trigger();
  }
  EXPECT_EQ(dashboard->locked, c.locked);
  EXPECT_FALSE(defaults().contains(QStringLiteral("locked")));  // applied on the next turn of the event loop
  ASSERT_TRUE(QTest::qWaitFor([] { return defaults().contains(QStringLiteral("locked")); }, 5000));
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
                                         LockCase{"menuUnlocksWhenTheButtonIsOn", true, 'm', false},
                                         LockCase{"menuWithoutALockButtonKeepsTheLock", true, 'n', true}),
                         [](const testing::TestParamInfo<LockCase> &info) { return std::string(info.param.name); });

}  // namespace
